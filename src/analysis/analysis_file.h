// Analysis files (".qva"): one listed analysis as a value, its exact text, a safe save, and a reader that
// takes any bytes without harm.
#pragma once

#include "files/experiment_writer.h" // save_result

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>

// One point of a curve: potential (V) and current (µA). Point i of a list is the curve's point t = i.
struct ei_point {
    double e_V = 0;
    double i_uA = 0;
};
inline bool operator==(const ei_point &a, const ei_point &b) { return a.e_V == b.e_V && a.i_uA == b.i_uA; }

// The version the writer always puts in the banner (line 1).
inline QString analysis_file_version() { return QStringLiteral("v2.4"); }

// Everything one ".qva" file holds. The Save commands fill it from the current list row and the screen; the
// open action gets it from read_analysis_file. After reading, every number lies in the range given here:
// values outside it, not numbers, or missing read as 0, except RR and Sample, which are held at the
// nearest end of their slider's range.
struct analysis_file {
    QString version;           // line 1, as read (not checked); the writer always writes analysis_file_version()
    QString exported;          // line 2, "yyyy-MM-dd  HH:mm:ss" (analysis_export_time_text)
    QString experiment;        // line 3, the base name of the file being written
    QString user;              // line 4, the user box's text
    uint16_t rate_mV_s = 0;    // line 5, 0..65535 (the text is truncated toward zero: 99.9 gives 99)
    QString method;            // line 6, "Peaks" or "Pearson's RR"
    int rr = 9500;             // line 7, slider_rate position, 9000..9999 after reading
    int sample = 200;          // line 8, slider_sample position, 10..1000 after reading
    // Lines 9 to 12: the result labels exactly as shown (any text: show it as plain text), and their values
    // (finite, else 0).
    QString epa_text = QStringLiteral("0"), ipa_text = QStringLiteral("0");
    QString epc_text = QStringLiteral("0"), ipc_text = QStringLiteral("0");
    float Epa = 0, Ipa = 0, Epc = 0, Ipc = 0; // mV, µA; read from the texts, not written
    // Lines 13 and 14. The open action does not use them: a reopened analysis holds its analysed cycle as
    // channel-1 points, so its result entry takes channel 0 and cycle 0.
    uint8_t channel_index = 0; // 0..1
    uint8_t cycle_index = 0;   // 0..255
    // Lines 15 to 20: the stored slider state of the automatic tangents.
    int16_t anodic_max = 0, cathodic_max = 0;           // 0..32767 (point indices)
    uint16_t current_anodic = 0, current_cathodic = 0;  // 0..65535
    int16_t current_tangent = 0, current_cathodic_2 = 0; // degrees, -30..30
    // Line 21: the channel and cycle boxes at writing time, counted from 1; 0 when the file has none.
    int selected_channel = 1; // 0..2
    int selected_cycle = 1;   // 0..256
    // The data table (line 23 on).
    QVector<ei_point> ch1, ch2;                         // the two data curves
    QVector<ei_point> anodic_tangent, cathodic_tangent; // the drawn tangent lines (four points each)
    // Set by the reader only: extremes of the two data curves, starting at 0 so that they always include 0.
    float e_min = 0, e_max = 0, i_min = 0, i_max = 0;
    bool points_capped = false; // rows beyond max_analysis_rows were not read
    bool cut_short = false;     // the file ends inside its last row, which was not read
};

// The reader takes at most this many data rows, so no curve has more points than a 16-bit index reaches.
constexpr int max_analysis_rows = 65535;

// Line 2's text for the moment of writing.
QString analysis_export_time_text(const QDateTime &when);

// The whole file, UTF-8, LF line ends. Rows run over the longer data curve; the last row ends with a TAB and
// no line end, and a file without rows ends "RAW DATA\n". A TAB or line end inside a text is written as a
// blank, since it would shift every later field.
QByteArray write_analysis_file(const analysis_file &file);

// Save and quick save: writes the file in one step (the old file stays unless all of it is written). Mark
// the analysis saved and rename it only when this succeeds; otherwise show `error`.
save_result save_analysis_file(const QString &path, const analysis_file &file);

enum class analysis_read_status {
    ok,           // header complete, "RAW DATA" on line 22, at least one channel-1 point
    unreadable,   // the file could not be opened (load_analysis_file only)
    cut_short,    // fewer than 22 lines
    not_analysis, // line 22 is not "RAW DATA"
    no_data,      // no row gives a channel-1 point: nothing to show or analyse again
};

struct analysis_read {
    analysis_file file; // what was read; only whole when status is ok
    analysis_read_status status = analysis_read_status::ok;
};

// Open action (open dialog, dropped file, command-line file): parses the bytes of a ".qva". LF or CR LF line
// ends, UTF-8 text; short lines read as missing fields. Only an ok result is listed; any other status adds
// no row and is told to the user (analysis_read_problem).
analysis_read read_analysis_file(const QByteArray &bytes);

// read_analysis_file on the file at `path` (at most its first 64 MiB, far more than the row limit needs).
analysis_read load_analysis_file(const QString &path);

// The message text for a status other than ok.
QString analysis_read_problem(analysis_read_status status);

// Open action: the details lines of an opened analysis: its base name, rate, the four values (%g), an empty
// line, the date and the user.
QStringList opened_analysis_details(const QString &base_name, const analysis_file &file);
