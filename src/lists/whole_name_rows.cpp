// Lists whose rows are file names, elided in the middle with the whole name as tool tip.
#include "lists/whole_name_rows.h"

#include <QHelpEvent>
#include <QListView>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace {

class whole_name_delegate : public QStyledItemDelegate {
public:
    explicit whole_name_delegate(QListView *list) : QStyledItemDelegate(list), list(list) {}

    // A row no wider than the list: the view then elides its text instead of scrolling it out of sight.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(qMin(size.width(), list->viewport()->width()));
        return size;
    }

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        if (event->type() != QEvent::ToolTip || !index.isValid() || !index.data(Qt::ToolTipRole).isNull())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view->viewport(), option.rect);
        return true;
    }

private:
    QListView *list;
};

} // namespace

void show_whole_names(QListView *list)
{
    list->setItemDelegate(new whole_name_delegate(list));
    list->setTextElideMode(Qt::ElideMiddle);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A vertical scroll bar that appears narrows the rows again.
    list->setResizeMode(QListView::Adjust);
}
