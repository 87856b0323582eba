// What the run screen tells its neighbouring windows when it opens them: the user messages of the settings box
// and of the analysis screen, the connection state, and which experiments go to the analysis screen.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include "shell/user_box_rules.h"

namespace session {

// The run screen's user box ends with the log-out entry, and the chooser's answer selects rows as on the
// analysis screen.
using user_box_rules::log_out_entry;
using user_box_rules::rows_named;

// The settings box hears of the current user by this message, sent right before the user's name,
// and learns that the list is complete by the second one.
inline QString current_user_marker() { return QStringLiteral("itiscoming_protocol"); }
inline QString end_of_users_marker() { return QStringLiteral("go_to_protocols_configure"); }

// The analysis screen hears of the current user by this token and a tab in front of the name.
inline QString recent_user_prefix() { return QStringLiteral("0xffrecentuser\t"); }

// The method name of the experiments the analysis screen works on.
inline QString cyclic_method() { return QStringLiteral("Cyclic Voltammetry"); }

// Messages for the settings box, for the user box's entries in order: every entry but the last ("Log Out"),
// the current one announced by the marker, then the end marker. An empty box still sends the end marker.
QStringList settings_user_messages(const QStringList &box_entries, int current_row);

// Messages for the analysis screen: every entry of the user box, "Log Out" included, the current one
// carrying the recent-user prefix.
QStringList analysis_user_messages(const QStringList &box_entries, int current_row);

// The connection state the analysis screen is told: "disconnected" for a device box reading
// "Disconnected", otherwise the device box's text (the instrument's name).
QString connection_state_message(const QString &device_box_text);

// List rows whose experiment is a cyclic voltammogram, in row order; `row_methods` holds each row's method.
QVector<int> cyclic_rows(const QStringList &row_methods);

// Where the experiment of `current_row` stands among those handed over, or -1 when that row is none of them
// (no current row, a row past the list, another method).
int handed_over_position(const QStringList &row_methods, int current_row);

} // namespace session
