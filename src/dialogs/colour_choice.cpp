// Colour-to-pair mapping and slider moves of the graph-colour picker.
#include "dialogs/colour_choice.h"

#include "plot/curve_palette.h"

int matching_pair(const QColor &colour, int channel)
{
    const QRgb wanted = colour.rgb() & 0xffffff;
    for (int pair = 0; pair < palette_pairs; ++pair) {
        const QColor candidate = channel == 1 ? pair_colour_ch1(pair) : pair_colour_ch2(pair);
        if ((candidate.rgb() & 0xffffff) == wanted)
            return pair;
    }
    return -1;
}

int slider_for_colour(const QColor &colour, int channel)
{
    const int pair = matching_pair(colour, channel);
    return pair < 0 ? 1 : pair + 1;
}

QString preview_style(const QColor &colour)
{
    return QStringLiteral("background-color: rgb(%1,%2,%3);").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

int swatch_number(const QString &object_name)
{
    if (!object_name.startsWith(QLatin1Char('c')))
        return 0;
    bool ok = false;
    const int n = object_name.mid(1).toInt(&ok, 10);
    return ok && n >= 1 && n <= 2 * palette_pairs ? n : 0;
}

pair_sliders after_swatch_click(pair_sliders now, int swatch, bool unlinked)
{
    if (swatch >= 1 && swatch <= palette_pairs) {
        now.ch1 = swatch;
        if (!unlinked)
            now.ch2 = swatch;
    } else if (swatch > palette_pairs && swatch <= 2 * palette_pairs) {
        now.ch2 = swatch - palette_pairs;
        if (!unlinked)
            now.ch1 = swatch - palette_pairs;
    }
    return now;
}

pair_sliders after_link_click(pair_sliders now, bool unlinked)
{
    if (!unlinked)
        now.ch2 = now.ch1;
    return now;
}
