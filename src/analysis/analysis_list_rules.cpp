// Rules of the analysis screen's list, free of widgets so that they can be checked directly.
#include "analysis/analysis_list_rules.h"

#include <algorithm>
#include <cmath>

namespace analysis_list {

QString summary_box_entry(int selected_count) { return QString::number(selected_count) + " Analysis"; }

QString click_heading(int selected_count) { return QString::number(selected_count) + " analysis are selected:"; }

details_view details_for(bool single_view, const QString &current_name, const QStringList &current_lines,
                         const QStringList &selected_names, const QString &heading)
{
    details_view view;
    if (single_view || selected_names.size() < 2) {
        view.box_entries << current_name;
        view.lines = current_lines;
        return view;
    }
    view.box_entries << summary_box_entry(selected_names.size()) << selected_names;
    view.lines << heading << selected_names;
    return view;
}

int row_on_show(int current_row, const QVector<int> &selected)
{
    return current_row >= 0 && selected.contains(current_row) ? current_row : -1;
}

QVector<int> rows_to_draw(bool single_view, int current_row, const QVector<int> &selected)
{
    if (row_on_show(current_row, selected) < 0)
        return {};
    if (single_view || selected.size() <= 1)
        return {current_row};
    // In list order: the legend lists them as they are drawn, and a row selected again (or re-analysed) must
    // not move to its end.
    QVector<int> rows = selected;
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool save_offered(int selected_count, bool has_current, bool current_saved)
{
    if (selected_count >= 2)
        return false;
    if (!has_current)
        return true;
    return !current_saved;
}

QString shown_value(float v)
{
    if (!std::isfinite(v))
        return QStringLiteral("0");
    const double hundredths = double(v) * 100.0;
    const double nearest = std::round(hundredths);
    // A float carries about seven significant digits; closer than that to a whole number of hundredths is it.
    const bool whole = std::abs(hundredths - nearest) <= std::abs(hundredths) * 2e-7;
    return QString::number((whole ? nearest : std::trunc(hundredths)) / 100.0, 'g', 6);
}

bool usable_name(const QString &name)
{
    if (name.trimmed().isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            return false;
    }
    return true;
}

}  // namespace analysis_list
