// Rules the analysis screen applies to what the run screen hands over: user messages, the device text,
// the channel and cycle choices of an experiment and the names it proposes. Plain data in, data out.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace handover {

// The run screen marks its current user by this token and a tab in front of the name.
inline QString recent_user_marker() { return QStringLiteral("0xffrecentuser"); }

// What one user message does to the user box.
struct user_entry {
    bool add = false;      // a row is added
    QString name;          // its text
    bool current = false;  // and it becomes the current row
};
user_entry parse_user_message(const QString &message);

// Text of the device box's only item for a connection state sent by the run screen.
QString device_box_text(const QString &state);

// A channel counts as recorded only above this many points: a handful of samples is no voltammogram.
constexpr int recorded_point_threshold = 5;
inline bool channel_recorded(int points) { return points > recorded_point_threshold; }

// How the channel box is set for an experiment: index 0 is working electrode 1, index 1 electrode 2.
struct channel_setup {
    bool enabled = false;
    int index = 0;
};
channel_setup channel_for(int ch1_points, int ch2_points);

// Items of the cycle box: "1" to the cycle count; a count of 0 or 1 still offers "1".
QStringList cycle_items(int cycles);
inline bool cycle_choice_enabled(int cycles) { return cycles > 1; }

// The analysis name proposed for a selection, e.g. experiment Exp_3, channel row 0, cycle row 1: "Exp_3_W1C2".
QString analysis_base_name(const QString &experiment, int channel_index, int cycle_index);

// The name a new analysis window starts with: "New_Analysis_" and the day as yyyyMMdd.
QString default_analysis_name(const QDate &day);

// True when `row` names one of `count` rows.
inline bool row_in_range(int row, int count) { return row >= 0 && row < count; }

}  // namespace handover
