// What a list row shows a user: its hover tool tip and its width.
#include "support/list_rows.h"

#include <QApplication>
#include <QHelpEvent>
#include <QListWidget>
#include <QToolTip>

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
