// Message boxes as wide as their titles need: a spacer across the box's grid holds its width, since the box
// sets its own fixed size from its layout each time it is shown.
#include "platform/box_titles.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QSpacerItem>
#include <QWidget>
#include <algorithm>

namespace platform {
namespace {

// Told apart from the box's own spacers, so that a box shown again reuses it.
class title_spacer : public QSpacerItem {
public:
    using QSpacerItem::QSpacerItem;
};

class box_title_fitter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Before the box's own show handling, which takes its size from the layout.
        if (event->type() == QEvent::Show) {
            if (auto *box = qobject_cast<QMessageBox *>(watched))
                fit_title(*box);
        }
        return false;
    }
};

}  // namespace

QFont window_title_font() { return QFontDatabase::systemFont(QFontDatabase::TitleFont); }

int title_width_needed(const QString &title, const QFont &title_font)
{
    // Most window managers draw the title of the active window in bold.
    QFont bold = title_font;
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    // The icon and up to three buttons are about as wide as the bar is high; the fifth share leaves room at the
    // ends and between them.
    const int bar_height = metrics.height() + 4;
    return metrics.horizontalAdvance(title) + 5 * bar_height;
}

void fit_title(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    const QMargins margins = grid->contentsMargins();
    const int width = title_width_needed(box.windowTitle(), window_title_font()) - margins.left() - margins.right();
    title_spacer *spacer = nullptr;
    for (int i = 0; i < grid->count() && !spacer; ++i)
        spacer = dynamic_cast<title_spacer *>(grid->itemAt(i));
    if (!spacer) {
        // Across the first row, no height of its own: the box grows wider only, not taller.
        spacer = new title_spacer(0, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
        grid->addItem(spacer, 0, 0, 1, grid->columnCount());
    }
    spacer->changeSize(std::max(0, width), 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
    grid->invalidate();
}

void fit_fixed_window_to_title(QWidget &window)
{
    const int width = title_width_needed(window.windowTitle(), window_title_font());
    const int extra = width - window.width();
    if (extra <= 0)
        return;
    for (QWidget *child : window.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        child->move(child->x() + extra / 2, child->y());
    window.setFixedSize(width, window.height());
}

void fit_message_box_titles()
{
    static QPointer<box_title_fitter> fitter;
    if (fitter || !qApp)
        return;
    fitter = new box_title_fitter(qApp);
    qApp->installEventFilter(fitter);
}
}  // namespace platform
