// Which entries of the run screen's right-click menus are enabled and checked, from the screen's state alone.
#pragma once

#include <QString>
#include <array>
#include <vector>

namespace context_menu {

// One row of the experiment list; row n shows record n.
struct list_row {
    bool selected = false;
    bool saved = true;
    float filter_hz = 0;  // 0 = raw data
    QString directory;    // folder of the record's file, empty when none is known
};

struct screen_state {
    std::vector<list_row> rows;
    int current_row = -1;          // -1: no current row
    bool run_in_progress = false;  // a run writes into one of the records
    bool overlay_checked = false;  // the overlay toggle is on
};

// Entries of the list menu's "Filter" submenu, in menu order.
enum filter_entry : int { raw_data = 0, hz_0_5, hz_1, hz_2, hz_5, hz_10, filter_entry_count };

struct list_menu {
    bool select_all = true;
    bool unselect_all = true;
    bool clear_all = true;
    bool clear_all_unsaved = true;
    bool filter_submenu = true;
    bool open_file_location = true;
    std::array<bool, filter_entry_count> filter_enabled{{true, true, true, true, true, true}};
    int checked_filter = -1;  // a filter_entry, or -1 when no entry carries the check mark
};

list_menu list_menu_for(const screen_state &state);

// The cut-off shared by the current row and every selected row; -1 when they differ (NaN never agrees).
float common_cutoff(const screen_state &state);

// The filter entry a cut-off stands for, or -1 when it matches none.
int filter_entry_for_cutoff(float cutoff_hz);

// Text of the plot menu's legend entry: it names what choosing it does.
QString legend_entry_text(bool legend_shown);

}  // namespace context_menu
