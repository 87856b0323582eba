// The user box the run and analysis screens both show: the users, then one last entry that logs out.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace user_box_rules {

// The box ends with this entry; it is no user.
inline QString log_out_entry() { return QStringLiteral("Log Out"); }

// The rows of the box the user chooser's answer selects: the users (not the last entry) named exactly so.
inline QVector<int> rows_named(const QStringList &box_entries, const QString &name)
{
    QVector<int> rows;
    for (int i = 0; i + 1 < box_entries.size(); ++i) {
        if (box_entries.at(i) == name)
            rows << i;
    }
    return rows;
}

} // namespace user_box_rules
