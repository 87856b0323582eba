// Lists whose rows are file names: a long name is cut in the middle, keeping the suffix that tells similar
// names apart, and the whole name is the row's tool tip.
#pragma once

class QListView;

// Rows are as wide as the list (no sideways scrolling), elided in the middle, with the whole text on hover.
void show_whole_names(QListView *list);
