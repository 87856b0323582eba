// Warning windows laid out by hand in their forms: the picture stays at the left, the texts' widget takes the
// width and height the window gains.
#include "dialogs/warning_fit.h"

#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "platform/box_titles.h"
#include "platform/screen_metrics.h"

namespace {
// Every layout is told afresh, nested ones too: a nested layout keeps its old size hint otherwise.
void wrap_labels(QWidget &content, bool wrap)
{
    for (QLabel *label : content.findChildren<QLabel *>())
        label->setWordWrap(wrap);
    for (QLayout *layout : content.findChildren<QLayout *>())
        layout->invalidate();
}
}  // namespace

void fit_warning_to_texts(QWidget &window, QWidget &content, const warning_form &form)
{
    QLayout *layout = content.layout();
    if (!layout)
        return;
    // Asked unwrapped: a wrapping label asks for less than its longest line.
    wrap_labels(content, false);
    const int beside_texts = form.window.width() - form.content.width();
    const int title_width = platform::title_width_needed(window.windowTitle(), platform::window_title_font());
    const int texts_width = layout->sizeHint().width();
    int width = std::max({form.window.width(), title_width, beside_texts + texts_width});
    // Beyond the screen nothing more could be seen, and the buttons would be out of reach.
    if (const QScreen *screen = window.screen())
        width = std::min(width, std::max(form.window.width(), screen->availableGeometry().width()));
    const int content_width = width - beside_texts;
    if (texts_width > content_width)
        wrap_labels(content, true);
    const int texts_height =
        layout->hasHeightForWidth() ? layout->heightForWidth(content_width) : layout->sizeHint().height();
    const int content_height = std::max(form.content.height(), texts_height);
    content.setGeometry(form.content.x(), form.content.y(), content_width, content_height);
    const int grown = width - window.width();
    window.setFixedSize(width, form.window.height() + content_height - form.content.height());
    // A window already placed over its opener keeps its middle there, and stays on the screen.
    if (grown != 0 && window.testAttribute(Qt::WA_Moved))
        platform::place_window(&window, window.frameGeometry().topLeft() - QPoint(grown / 2, 0));
}
