// Experiment files (".qve", and the same text as ".xls"): building the text and writing it safely.
#pragma once

#include "files/experiment_data.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <algorithm>
#include <array>
#include <functional>
#include <optional>

// What the file records about its writing besides the experiment: the moment of writing (header line 2)
// and the user logged in at the time (header line 4).
struct export_stamp {
    QDateTime when;
    QString user;
};

// The whole experiment file of the record's method, UTF-8 with "\n" line ends. No value when the record's
// method is none of the seven names: such a record has no file layout.
std::optional<QByteArray> write_experiment(const experiment_data &record, const export_stamp &stamp);

// A curve's points where they already lie, so a long record is written without a copy of its points: point i
// has its key at keys[i * stride] and its value at values[i * stride].
struct point_span {
    const double *keys = nullptr;
    const double *values = nullptr;
    std::ptrdiff_t stride = 1;
    int count = 0;

    static point_span of(const point_series &s)
    {
        return {s.keys.constData(), s.values.constData(), 1, std::min(s.keys.size(), s.values.size())};
    }
    double key(int i) const { return keys[std::ptrdiff_t(i) * stride]; }
    double value(int i) const { return values[std::ptrdiff_t(i) * stride]; }
};

// The curves a file holds, in the order of experiment_data: shown 1, shown 2, raw 1, raw 2.
using record_points = std::array<point_span, 4>;

// The text of write_experiment a part at a time. `fields` gives every value but the points (its series are not
// read); the spans must stay valid and unchanged until the last part is taken.
class experiment_text_writer {
public:
    experiment_text_writer(const experiment_data &fields, const record_points &points, const export_stamp &stamp);

    // False when the record's method has no file layout; next() then writes nothing.
    bool has_layout() const { return method_.has_value(); }

    // Appends the next part to `out`: the header lines first, then at most `rows` rows. False when nothing was
    // left to append.
    bool next(QByteArray &out, int rows);

    // The same text in pieces that can be made on several threads at once and then put together in order: the
    // header, then section 0 (the "DATA" rows), the line "RAW DATA", then section 1 (the raw rows).
    QByteArray header() const;
    int rows_of(int section) const;
    // Appends rows [from, to) of `section`; it changes nothing of the writer.
    void append_rows(QByteArray &out, int section, int from, int to) const;

private:
    void append_header(QByteArray &out) const;

    experiment_data fields_;
    record_points points_;
    export_stamp stamp_;
    std::optional<method_index> method_;
    int section_ = -1;   // -1 header; 0 data rows; 1 raw rows; 2 done
    int row_ = 0;        // next row of the section
};

struct save_result {
    bool ok = false;
    QString error; // why it failed, for the message box
};

// Replaces `path` with `bytes` in one step: the old file stays as it was unless the whole new text is
// on disk. A failed write is reported, never taken for success.
save_result save_text_atomically(const QString &path, const QByteArray &bytes);

// write_experiment, then save_text_atomically. The caller marks the record saved (or, for the
// autosave copy, unsaved) only when this succeeds.
save_result save_experiment_file(const QString &path, const experiment_data &record, const export_stamp &stamp);

// Writes the writer's text to `path` part by part, as safely as save_text_atomically, calling `between_parts`
// with the fraction done after every part. The parts are formatted on several threads; nothing of the text is
// held whole. It touches no widget, so it may run on a thread of its own while a window keeps painting.
save_result save_experiment_in_parts(const QString &path, const experiment_text_writer &writer,
                                     const std::function<void(double)> &between_parts);
