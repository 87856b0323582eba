// Selection handling shared by the run and analysis screens' lists, worked round QListWidget's defaults.
#pragma once

#include <QVector>

class QListWidget;

namespace list_selection {

// Selected rows below `limit`, in the selection model's order (the order the details boxes list them in).
QVector<int> selected_rows(const QListWidget *list, int limit);

// Makes `row` current. In the single view it becomes the only selected row; otherwise it joins the selection
// when `select` is true and keeps its selection state when false, so that a row made current never slips into a
// selection about to be drawn or deleted. A row outside the list leaves no current row.
void make_current(QListWidget *list, int row, bool select = false);

// Takes rows out of the selection for good. A plain deselection stays the selection model's "current" step,
// which a later SelectCurrent (QListWidget::setCurrentRow in the overlay view) would silently undo.
void deselect_rows(QListWidget *list, const QVector<int> &rows);

}  // namespace list_selection
