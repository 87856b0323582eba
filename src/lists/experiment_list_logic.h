// Rules of the run screen's experiment list (selection, deletion, details texts, naming), as plain functions.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

namespace experiment_list {

// The record that the details box names: `selected` holds the selected rows in the order the details box lists
// them, `box_count` and `box_index` are the details box's entry count and current index. With several entries,
// entry 0 is the summary and entry j >= 1 names selected row j - 1; otherwise the first selected row is meant.
// -1 when no selected experiment stands at that position (nothing selected, an empty box, a stale index), so a
// caller can never index past the selection.
int selected_row(const QVector<int> &selected, int box_count, int box_index);

// The selected rows below `count`, each once, in ascending order: what a deletion may touch.
QVector<int> valid_rows(int count, const QVector<int> &rows);

// One deletion of several rows, worked out before anything changes so that the rows removed are exactly the
// rows asked for, whatever the selection does while the list shrinks.
struct deletion_plan {
    QVector<int> deleted;                // rows removed, ascending
    QVector<int> new_index;              // old index -> new index; -1 for a removed row; size = old count
    QVector<QPair<int, int>> moves;      // (from, to) for every surviving record that moves down, ascending
    int count_after = 0;                 // experiments left
    int current_after = -1;              // row to make current afterwards; -1 when the list becomes empty
};
deletion_plan plan_deletion(int count, const QVector<int> &rows);

// Row to make current after removing row `removed` when `remaining` rows are left: the row above it, or row 0.
int current_row_after_removal(int removed, int remaining);

// Chronoamperometry and amperometry records have time on the x axis; the other methods have potential.
bool is_time_based(const QString &method);
QString x_axis_label(bool time_based);

// What a click on a row does to the overlay: time-based and potential-based experiments are never drawn together.
struct kind_filter {
    QVector<int> shown;        // selected rows of the clicked row's kind
    QVector<int> hidden;       // every other row (unselected ones and the ones deselected here), ascending
    QVector<int> deselect;     // selected rows of the other kind
    QString x_label;
};
// `time_based` holds one flag per row; `selected` the selected rows.
kind_filter filter_by_kind(bool current_time_based, const QVector<bool> &time_based, const QVector<int> &selected);

// Texts of the details panel.
QString summary_box_entry(int selected_count);          // "3 Experiments"
QString summary_heading(int selected_count);            // "3 experiments are selected:"

// What the details box and details list show for a selection.
struct details_view {
    bool keep = false;          // overlay view with nothing selected: both widgets stay as they are
    bool summary = false;       // the details list shows `lines`; otherwise the current record's details
    QStringList box_entries;
    QStringList lines;
};
// `single_view` is the checked view toggle; `current_text` the current row's text (empty when there is none).
details_view details_for(bool single_view, const QString &current_text, const QStringList &selected_texts);

// Both electrode boxes are ticked when the selected records agree on each electrode flag.
struct electrode_flags {
    bool ch1 = false;
    bool ch2 = false;
};
bool flags_agree(const QVector<electrode_flags> &selected);

// `Save` is offered for one unsaved experiment in hand.
bool save_enabled(bool has_current, int selected_count, bool current_saved);

// The last row whose text is exactly `name`, or -1.
int last_row_named(const QStringList &row_texts, const QString &name);

// Curve names of an experiment, as the legend shows them.
QString we1_curve_name(const QString &name);
QString we2_curve_name(const QString &name);

// "New_Experiment(n)" for the first n whose file "Data/User/Experiments/New_Experiment(n).qve" does not exist.
QString free_experiment_name(const std::function<bool(const QString &path)> &file_exists);

// Drag-enter: no paths leaves the event alone; otherwise the last path decides: it must end in `ending`
// exactly (case-sensitive; ".qve" for experiments, ".qva" on the analysis screen).
enum class drop_answer { none, accept, ignore };
drop_answer judge_drop(const QStringList &local_paths, const QString &ending = QStringLiteral(".qve"));

}  // namespace experiment_list
