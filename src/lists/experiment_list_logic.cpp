// Rules of the run screen's experiment list, free of widgets so that they can be checked directly.
#include "lists/experiment_list_logic.h"

#include <algorithm>
#include <limits>

namespace experiment_list {

int selected_row(const QVector<int> &selected, int box_count, int box_index)
{
    if (selected.isEmpty() || box_count <= 0 || box_index < 0 || box_index >= box_count)
        return -1;
    if (box_count > 1 && box_index >= 1) {
        const int position = box_index - 1;
        return position < selected.size() ? selected.at(position) : -1;
    }
    return selected.first();
}

QVector<int> valid_rows(int count, const QVector<int> &rows)
{
    QVector<int> out;
    for (int row : rows)
        if (row >= 0 && row < count)
            out.push_back(row);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

deletion_plan plan_deletion(int count, const QVector<int> &rows)
{
    deletion_plan plan;
    count = std::max(count, 0);
    plan.deleted = valid_rows(count, rows);
    plan.new_index.fill(-1, count);
    int next = 0;
    int d = 0;
    for (int old = 0; old < count; ++old) {
        if (d < plan.deleted.size() && plan.deleted.at(d) == old) {
            ++d;
            continue;
        }
        plan.new_index[old] = next;
        if (next != old)
            plan.moves.push_back({old, next});
        ++next;
    }
    plan.count_after = next;
    if (plan.deleted.isEmpty())
        plan.current_after = -1;
    else
        // Removing the rows one after another, each time making the row above current, ends on the row
        // above the last removed one, counted in the shrunken list.
        plan.current_after = current_row_after_removal(plan.deleted.last() - (plan.deleted.size() - 1), next);
    return plan;
}

int current_row_after_removal(int removed, int remaining)
{
    if (remaining <= 0)
        return -1;
    return std::min(std::max(removed - 1, 0), remaining - 1);
}

bool is_time_based(const QString &method)
{
    return method == QLatin1String("Amperometric") || method == QLatin1String("Chronoamperometry");
}

QString x_axis_label(bool time_based)
{
    return time_based ? QStringLiteral("Time(ms)") : QStringLiteral("Voltage (V)");
}

kind_filter filter_by_kind(bool current_time_based, const QVector<bool> &time_based, const QVector<int> &selected)
{
    kind_filter out;
    out.x_label = x_axis_label(current_time_based);
    QVector<bool> is_selected(time_based.size(), false);
    for (int row : selected)
        if (row >= 0 && row < time_based.size())
            is_selected[row] = true;
    for (int row : selected) {
        if (row < 0 || row >= time_based.size())
            continue;
        if (time_based.at(row) == current_time_based)
            out.shown.push_back(row);
        else
            out.deselect.push_back(row);
    }
    for (int row = 0; row < time_based.size(); ++row)
        if (!is_selected.at(row) || time_based.at(row) != current_time_based)
            out.hidden.push_back(row);
    return out;
}

QString summary_box_entry(int selected_count) { return QString::number(selected_count) + " Experiments"; }

QString summary_heading(int selected_count)
{
    return QString::number(selected_count) + " experiments are selected:";
}

details_view details_for(bool single_view, const QString &current_text, const QStringList &selected_texts)
{
    details_view view;
    const int k = selected_texts.size();
    if (!single_view && k >= 2) {
        view.summary = true;
        view.box_entries << summary_box_entry(k) << selected_texts;
        view.lines << summary_heading(k) << selected_texts;
        return view;
    }
    if (!single_view && k == 0) {
        view.keep = true;
        return view;
    }
    view.box_entries << current_text;
    return view;
}

bool flags_agree(const QVector<electrode_flags> &selected)
{
    for (const electrode_flags &f : selected)
        if (f.ch1 != selected.first().ch1 || f.ch2 != selected.first().ch2)
            return false;
    return true;
}

bool save_enabled(bool has_current, int selected_count, bool current_saved)
{
    return has_current && selected_count <= 1 && !current_saved;
}

int last_row_named(const QStringList &row_texts, const QString &name) { return row_texts.lastIndexOf(name); }

QString we1_curve_name(const QString &name) { return name + "_w1"; }
QString we2_curve_name(const QString &name) { return name + "_w2"; }

QString free_experiment_name(const std::function<bool(const QString &path)> &file_exists)
{
    int n = 1;
    for (; n < std::numeric_limits<int>::max(); ++n)
        if (!file_exists("Data/User/Experiments/New_Experiment(" + QString::number(n) + ").qve"))
            break;
    return "New_Experiment(" + QString::number(n) + ")";
}

drop_answer judge_drop(const QStringList &local_paths, const QString &ending)
{
    if (local_paths.isEmpty())
        return drop_answer::none;
    return local_paths.last().endsWith(ending, Qt::CaseSensitive) ? drop_answer::accept : drop_answer::ignore;
}

}  // namespace experiment_list
