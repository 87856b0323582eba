// Analysis protocols (".qvr"): the two settings of the Pearson tangent search, one per line.
#pragma once

#include "files/experiment_writer.h" // save_result

#include <QByteArray>
#include <QString>
#include <optional>

// The positions of slider_rate (9000..9999, the acceptance threshold times 10000) and slider_sample
// (10..1000, the window length in points).
struct analysis_protocol {
    int rr = 9500;
    int sample = 200;

    static constexpr int rr_min = 9000, rr_max = 9999;
    static constexpr int sample_min = 10, sample_max = 1000;
};

// Save Analysis Protocol: "9500\n200" for the initial settings; no line end after the second value.
QByteArray write_analysis_protocol(const analysis_protocol &protocol);

// Save Analysis Protocol: writes the file in one step. Put the file's base name into the name box only when
// this succeeds; otherwise show `error`.
save_result save_analysis_protocol_file(const QString &path, const analysis_protocol &protocol);

// Load Analysis Protocol: reads the two values, held within the sliders' ranges (12000 and 5 give 9999 and
// 10; a value between two steps stays as it is). Blanks around a number and CR LF line ends are allowed. A
// one-line file (or a blank second line) gives the window length's minimum, 10. No value when the first line
// is not a whole number, or the second line holds something else than one: the sliders and the name box
// then stay as they are. Lines after the second are ignored.
std::optional<analysis_protocol> read_analysis_protocol(const QByteArray &bytes);

struct analysis_protocol_load {
    std::optional<analysis_protocol> protocol;
    QString error; // for the message when there is no protocol
};

// Load Analysis Protocol: read_analysis_protocol on the file at `path`; a file that cannot be opened or
// read gives no protocol and says why.
analysis_protocol_load load_analysis_protocol_file(const QString &path);
