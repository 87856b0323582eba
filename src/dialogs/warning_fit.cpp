// Warning windows laid out by hand in their forms: the picture stays at the left, the texts' widget takes the
// width and height the window gains.
#include "dialogs/warning_fit.h"

#include <QLayout>
#include <QWidget>
#include <algorithm>

#include "platform/box_titles.h"

void fit_warning_to_texts(QWidget &window, QWidget &content, const warning_form &form)
{
    QLayout *layout = content.layout();
    if (!layout)
        return;
    layout->invalidate();
    const QSize texts = layout->sizeHint();
    const int beside_texts = form.window.width() - form.content.width();
    const int title_width = platform::title_width_needed(window.windowTitle(), platform::window_title_font());
    const int width = std::max({form.window.width(), title_width, beside_texts + texts.width()});
    const int content_height = std::max(form.content.height(), texts.height());
    content.setGeometry(form.content.x(), form.content.y(), width - beside_texts, content_height);
    window.setFixedSize(width, form.window.height() + content_height - form.content.height());
}
