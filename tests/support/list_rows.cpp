// What a list row shows a user: its hover tool tip and its width; the mouse on its rows.
#include "support/list_rows.h"

#include <QApplication>
#include <QHelpEvent>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolTip>

namespace {
QPoint centre_of(QListWidget *list, int row) { return list->visualItemRect(list->item(row)).center(); }
}  // namespace

QString hovered_row_tip(QListWidget *list, int row)
{
    QToolTip::hideText();
    const QRect rect = list->visualItemRect(list->item(row));
    QHelpEvent hover(QEvent::ToolTip, rect.center(), list->viewport()->mapToGlobal(rect.center()));
    QApplication::sendEvent(list->viewport(), &hover);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

bool row_fits_the_list(QListWidget *list, int row)
{
    const QRect rect = list->visualItemRect(list->item(row));
    return rect.left() >= 0 && rect.right() < list->viewport()->width();
}

void click_row_with(QListWidget *list, int row, Qt::MouseButton button, const std::function<void()> &while_open)
{
    QWidget *viewport = list->viewport();
    const QPoint at = centre_of(list, row);
    QTest::mousePress(viewport, button, {}, at);
    if (button == Qt::RightButton) {
        // Looked for from inside the menu's own event loop, which runs until the menu closes.
        QTimer::singleShot(20, [while_open] {
            if (while_open)
                while_open();
            if (QWidget *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget()))
                QTest::keyClick(menu, Qt::Key_Escape);
        });
        QContextMenuEvent ask(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &ask);
    }
    QTest::mouseRelease(viewport, button, {}, at);
}

void drag_across_rows(QListWidget *list, int from, int to)
{
    QWidget *viewport = list->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, centre_of(list, from));
    for (int row = from; row != to;) {
        row += from < to ? 1 : -1;
        const QPoint at = centre_of(list, row);
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, centre_of(list, to));
}
