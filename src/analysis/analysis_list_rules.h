// Rules of the analysis screen's list of analyses: what the details panel shows for a selection, which rows
// are drawn, when the save buttons are offered and which names a row may take. Plain data in, data out.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace analysis_list {

// The details box's summary entry for several selected analyses: "3 Analysis".
QString summary_box_entry(int selected_count);
// The details list's first line after a click on the list: "3 analysis are selected:". Renames, the details
// box and the view toggle head the same summary "3 experiments are selected:" as the run screen does.
QString click_heading(int selected_count);

// What the details box and the details list show.
struct details_view {
    QStringList box_entries;
    QStringList lines;
};
// One analysis in hand (fewer than two selected, or the single view): its name and its detail lines.
// Otherwise the summary: `heading`, then the selected names, in both widgets.
details_view details_for(bool single_view, const QString &current_name, const QStringList &current_lines,
                         const QStringList &selected_names, const QString &heading);

// The row whose analysis is on show, the one every command on "this analysis" acts on: the current row while it
// is selected, or -1. In the overlay view a current row left unselected is neither drawn nor named in the details.
int row_on_show(int current_row, const QVector<int> &selected);

// The rows whose analyses are drawn: the current one alone in the single view or with one selected,
// otherwise every selected row in the list's order. Nothing while no row is on show.
QVector<int> rows_to_draw(bool single_view, int current_row, const QVector<int> &selected);

// The save buttons are offered for one analysis in hand that is not in a file; with no current row they
// stay offered (the save command then asks for nothing to be saved).
bool save_offered(int selected_count, bool has_current, bool current_saved);

// Text of a stored peak value in the value labels: cut toward zero to hundredths, up to six significant digits.
// Values are kept as floats, so one cut before it was stored (99.84, held as 99.8399963) is recognised as the
// whole number of hundredths it stands for and shown unchanged, instead of losing a hundredth to the float's
// rounding; 1.005 (held as 1.00499999) is no such number and shows as 1. Not finite: 0.
QString shown_value(float v);

// A list entry's text names the analysis file too, so it must be usable as a file name: not empty or blank,
// not "." or "..", no folder separators and none of the characters the target system refuses in names.
bool usable_name(const QString &name);

}  // namespace analysis_list
