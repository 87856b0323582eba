// A window's answer to dragged files.
#include "lists/drag_enter.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

#include "lists/experiment_list_logic.h"

void answer_drag_enter(QDragEnterEvent *event, const QString &ending)
{
    if (!event->mimeData()->hasUrls())
        return;
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls())
        paths << url.toLocalFile();
    switch (experiment_list::judge_drop(paths, ending)) {
    case experiment_list::drop_answer::accept:
        event->acceptProposedAction();
        break;
    case experiment_list::drop_answer::ignore:
        event->ignore();
        break;
    case experiment_list::drop_answer::none:
        break;
    }
}
