// What a list row shows a user: the tool tip its hover gives, and whether its text fits inside the list; and the
// mouse on the rows as a user works it.
#pragma once

#include <QString>
#include <Qt>
#include <functional>

class QListWidget;

// The tool tip shown when the pointer rests on `row` (empty when none is shown).
QString hovered_row_tip(QListWidget *list, int row);

// Whether the row lies within the list's visible width, so that its text is elided rather than scrolled away.
bool row_fits_the_list(QListWidget *list, int row);

// `button` pressed and released on `row`. A right press also asks for the list's menu, as the window system does;
// `while_open` runs while the menu is up, and then Escape closes it.
void click_row_with(QListWidget *list, int row, Qt::MouseButton button, const std::function<void()> &while_open = {});

// The left button pressed on row `from`, moved across the rows to `to` and released there.
void drag_across_rows(QListWidget *list, int from, int to);
