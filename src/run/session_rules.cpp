// Messages and choices of the run screen's hand-overs, as plain functions.
#include "run/session_rules.h"

namespace session {

QStringList settings_user_messages(const QStringList &box_entries, int current_row)
{
    QStringList messages;
    for (int i = 0; i + 1 < box_entries.size(); ++i) {
        if (i == current_row)
            messages << current_user_marker();
        messages << box_entries.at(i);
    }
    messages << end_of_users_marker();
    return messages;
}

QStringList analysis_user_messages(const QStringList &box_entries, int current_row)
{
    QStringList messages;
    for (int i = 0; i < box_entries.size(); ++i)
        messages << (i == current_row ? recent_user_prefix() + box_entries.at(i) : box_entries.at(i));
    return messages;
}

QString connection_state_message(const QString &device_box_text)
{
    if (device_box_text == QLatin1String("Disconnected"))
        return QStringLiteral("disconnected");
    return device_box_text;
}

QVector<int> cyclic_rows(const QStringList &row_methods)
{
    QVector<int> rows;
    for (int r = 0; r < row_methods.size(); ++r) {
        if (row_methods.at(r) == cyclic_method())
            rows << r;
    }
    return rows;
}

int handed_over_position(const QStringList &row_methods, int current_row)
{
    if (current_row < 0 || current_row >= row_methods.size())
        return -1;
    return cyclic_rows(row_methods).indexOf(current_row);
}

} // namespace session
