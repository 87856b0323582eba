// Enabled and checked entries of the run screen's list and plot menus.
#include "lists/context_menu_rules.h"

#include <QCoreApplication>

namespace context_menu {

namespace {
const list_row *current_of(const screen_state &state)
{
    if (state.current_row < 0 || state.current_row >= int(state.rows.size()))
        return nullptr;
    return &state.rows[size_t(state.current_row)];
}
}  // namespace

float common_cutoff(const screen_state &state)
{
    const list_row *current = current_of(state);
    if (!current)
        return -1.0f;
    const float cutoff = current->filter_hz;
    for (const list_row &row : state.rows) {
        // Written as "not equal" so that a NaN on either side counts as a different cut-off.
        if (row.selected && !(row.filter_hz == cutoff))
            return -1.0f;
    }
    return cutoff;
}

int filter_entry_for_cutoff(float c)
{
    // Windows rather than equality: cut-offs come back from files as text and from float arithmetic.
    if (!(c >= -0.5f))
        return -1;
    if (c < 0.001f)
        return raw_data;
    if (c > 0.49f && c < 0.51f)
        return hz_0_5;
    if (c > 0.99f && c < 1.01f)
        return hz_1;
    if (c > 1.99f && c < 2.01f)
        return hz_2;
    if (c > 4.99f && c < 5.01f)
        return hz_5;
    if (c > 9.99f && c < 10.01f)
        return hz_10;
    return -1;
}

list_menu list_menu_for(const screen_state &state)
{
    list_menu menu;
    const list_row *current = current_of(state);

    if (!current) {
        menu.select_all = menu.unselect_all = menu.clear_all = menu.clear_all_unsaved = false;
        menu.open_file_location = false;
        menu.filter_submenu = false;
    } else {
        // The folder is that of the record on show: a current row left unselected is not drawn.
        if (current->directory.isEmpty() || !current->selected)
            menu.open_file_location = false;
        menu.checked_filter = filter_entry_for_cutoff(common_cutoff(state));
    }

    // A run writes into the newest record; refiltering under it would mix two passes.
    menu.filter_enabled.fill(!state.run_in_progress);

    if (state.overlay_checked)
        menu.select_all = menu.unselect_all = false;

    if (state.rows.empty())
        menu.clear_all = false;

    menu.clear_all_unsaved = false;
    for (const list_row &row : state.rows)
        if (!row.saved)
            menu.clear_all_unsaved = true;

    // Clearing during a run would take away the record the run is still filling.
    if (state.run_in_progress)
        menu.clear_all = menu.clear_all_unsaved = false;

    return menu;
}

QString legend_entry_text(bool legend_shown)
{
    return legend_shown ? QCoreApplication::translate("MainWindow", "Legend Off")
                        : QCoreApplication::translate("MainWindow", "Legend On");
}

}  // namespace context_menu
