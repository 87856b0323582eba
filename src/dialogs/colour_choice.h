// How the graph-colour picker maps colours to palette pairs and moves its two sliders.
#pragma once

#include <QColor>
#include <QString>

// The two sliders of the picker: 1-based pair numbers (1..12) for channel 1 and channel 2.
struct pair_sliders {
    int ch1 = 1;
    int ch2 = 1;
};

// The 0-based pair whose colour on `channel` (1 or 2) has the same red, green and blue as `colour`
// (alpha is ignored), or -1 when no pair has it.
int matching_pair(const QColor &colour, int channel);
// The slider position for a fed colour: its pair's number, or pair 1 when the colour is not in the palette.
int slider_for_colour(const QColor &colour, int channel);
// Style sheet that paints a preview label in `colour`: "background-color: rgb(r,g,b);".
QString preview_style(const QColor &colour);
// The swatch number (1..24) of a swatch button named "c1".."c24"; 0 for any other name.
int swatch_number(const QString &object_name);

// Swatches 1..12 choose channel 1's pair, 13..24 channel 2's. While the channels are linked (the link
// toggle is off) the other channel follows. An unknown swatch number changes nothing.
pair_sliders after_swatch_click(pair_sliders now, int swatch, bool unlinked);
// Linking the channels (the toggle has just been switched off) brings channel 2 to channel 1's pair;
// unlinking moves nothing.
pair_sliders after_link_click(pair_sliders now, bool unlinked);
