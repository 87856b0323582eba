// The list that reports keyboard moves.
#include "lists/keyed_list_widget.h"

#include "lists/list_selection.h"

keyed_list_widget::keyed_list_widget(QWidget *parent) : QListWidget(parent) {}

void keyed_list_widget::keyPressEvent(QKeyEvent *event)
{
    // Compared once the key is handled: a move in the single view changes the selection before the current row,
    // and a screen refreshed in between would see a current row that is not selected.
    const int row = currentRow();
    const QVector<int> selected = list_selection::selected_rows(this, count());
    QListWidget::keyPressEvent(event);
    if (currentRow() != row || list_selection::selected_rows(this, count()) != selected)
        emit changed_by_key(row);
}
