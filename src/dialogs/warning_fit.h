// Warning windows of fixed size that still show a long name whole, in their title and in their texts.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// Where the form puts things: the window's own size and the place of the widget that lays out its texts.
struct warning_form {
    QSize window;
    QRect content;
};

// Sizes `window` for its present title and the texts laid out in `content`: the form's size where they fit it,
// wider only as far as the title or a line of text needs, and never wider than the screen, where a line too long
// wraps and the window grows taller instead. Call again after each change of title or texts.
void fit_warning_to_texts(QWidget &window, QWidget &content, const warning_form &form);
