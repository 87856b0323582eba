// The settings file "Libraries/Config.txt": 17 values addressed by line number.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace settings_file {

// Number of lines a full file holds; see the line constants below.
constexpr int line_count = 17;

// Line numbers (counted from 0).
enum line : int {
    user_name = 0,
    remembered_flag = 1,
    device_name = 2,
    we1_active = 3,
    we2_active = 4,
    current_range = 5,
    default_method = 6,
    analysis_protocol = 7,
    report_type = 8,
    plot_mode = 9,
    image_type = 10,
    image_size = 11,
    resolution = 12,
    report_template = 13,
    report_image_size = 14,
    quiet_time_s = 15,
    filter_choice = 16,
};

// Relative to the working directory.
QString default_path();

// Splits file text into bare values. A line may end in LF with none, one or two CR before it;
// a last line without any line end still counts, and the empty remainder after a final LF does not.
QStringList parse_lines(const QByteArray &text);

// Joins values into file text, every one followed by "\r\n".
QByteArray compose(const QStringList &lines);

// The value of line `n`, or nothing when the file is shorter.
std::optional<QString> text_at(const QStringList &lines, int n);

// Line `n` read as a decimal integer the way QString::toInt does it: empty or non-numeric text gives 0.
// Nothing when the line is missing.
std::optional<int> int_at(const QStringList &lines, int n);

// A combo-box index from line `n`, only when it lies in 0 .. item_count - 1.
std::optional<int> index_at(const QStringList &lines, int n, int item_count);

// Replaces the user lines (0 and 1) that already exist; never adds lines.
QStringList with_user_lines(QStringList lines, const QString &name, const QString &flag);

// Opens the file read-only and returns its lines; nothing when it cannot be opened.
// Never creates, truncates or otherwise touches the file.
std::optional<QStringList> read_lines(const QString &path = default_path());

// Writes all `lines` atomically (a temporary file renamed over the old one); where the folder takes no
// temporary file, the writable file is rewritten whole in place.
// Refuses an existing file that is not writable. Returns whether the new text is in place.
bool write_lines(const QStringList &lines, const QString &path = default_path());

// Reads the whole file, puts `name` in line 0 and `flag` in line 1 (where those lines exist) and writes it
// back whole. A missing or unreadable file is left alone and false is returned.
bool write_user_lines(const QString &name, const QString &flag, const QString &path = default_path());

// The user remembered by lines 0 and 1.
struct remembered_user {
    bool saved = false;
    QString name;
};

// A user is remembered when line 1 is anything but -1 and line 0 holds more than blanks.
remembered_user remembered_from_lines(const QStringList &lines);

} // namespace settings_file
