// A window's answer to files dragged onto it, by the ending of the last one (see experiment_list::judge_drop).
#pragma once

#include <QString>

class QDragEnterEvent;

// Accepts the proposed action when the last file ends in `ending` exactly, ignores the drag otherwise, and
// leaves a drag without files alone.
void answer_drag_enter(QDragEnterEvent *event, const QString &ending);
