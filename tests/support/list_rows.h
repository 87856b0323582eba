// What a list row shows a user: the tool tip its hover gives, and whether its text fits inside the list.
#pragma once

#include <QString>

class QListWidget;

// The tool tip shown when the pointer rests on `row` (empty when none is shown).
QString hovered_row_tip(QListWidget *list, int row);

// Whether the row lies within the list's visible width, so that its text is elided rather than scrolled away.
bool row_fits_the_list(QListWidget *list, int row);
