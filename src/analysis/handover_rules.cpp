// Rules of the analysis screen's side of the hand-over.
#include "analysis/handover_rules.h"

namespace handover {

user_entry parse_user_message(const QString &message)
{
    user_entry entry;
    const QStringList parts = message.split(QLatin1Char('\t'));
    if (parts.first() == recent_user_marker()) {
        // A marker with nothing after it names no user; adding an empty row would offer a user that does not exist.
        if (parts.size() < 2)
            return entry;
        entry.add = true;
        entry.name = parts.at(1);
        entry.current = true;
        return entry;
    }
    entry.add = true;
    entry.name = message;
    return entry;
}

QString device_box_text(const QString &state)
{
    if (state == QLatin1String("disconnected"))
        return QStringLiteral("Disconnected");
    return state;
}

channel_setup channel_for(int ch1_points, int ch2_points)
{
    const bool ch1 = channel_recorded(ch1_points);
    const bool ch2 = channel_recorded(ch2_points);
    if (ch1 && ch2)
        return {true, 0};
    if (ch1)
        return {false, 0};
    return {false, 1};
}

QStringList cycle_items(int cycles)
{
    QStringList items;
    if (!cycle_choice_enabled(cycles))
        return {QStringLiteral("1")};
    items.reserve(cycles);
    for (int c = 1; c <= cycles; ++c)
        items << QString::number(c);
    return items;
}

QString analysis_base_name(const QString &experiment, int channel_index, int cycle_index)
{
    return experiment + QStringLiteral("_W") + QString::number(channel_index + 1) + QLatin1Char('C')
           + QString::number(cycle_index + 1);
}

QString default_analysis_name(const QDate &day)
{
    return QStringLiteral("New_Analysis_") + day.toString(QStringLiteral("yyyyMMdd"));
}

}  // namespace handover
