// Writers of the experiment file: a 14-line header, then "DATA" with the shown curves and "RAW DATA" with
// the unfiltered ones, tab-separated.
#include "files/experiment_writer.h"

#include "platform/file_sync.h"

#include <QFileInfo>
#include <QSaveFile>
#include <charconv>
#include <chrono>
#include <future>
#include <cmath>
#include <limits>

namespace {

QString g6(double x) { return QString::number(x, 'g', 6); }

// A tab or line end inside a name would shift every later line of the file and make it unreadable.
QString one_field(QString text)
{
    for (QChar &c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0))
            c = QLatin1Char(' ');
    }
    return text;
}

// A potential field in V as whole mV, cut toward zero (0.7 V in single precision gives 699, as files
// already on disk hold it).
QString millivolts(float volts)
{
    const double mv = std::trunc(static_cast<double>(volts) * 1000.0);
    if (!std::isfinite(mv) || std::fabs(mv) > 9.0e15)
        return QStringLiteral("0");
    return QString::number(static_cast<qint64>(mv));
}

// A details line is "label value" (or "Device ID: word"); parts are split at single spaces.
QString details_part(const QStringList &details, int line, int part)
{
    return details.value(line).split(QLatin1Char(' ')).value(part);
}

QString value_word(const QStringList &details, int line)
{
    return QString::number(details_part(details, line, 1).toInt());
}

QString device_word(const QStringList &details, int line) { return one_field(details_part(details, line, 2)); }

QString resolution_line(uint16_t resolution)
{
    if (resolution == step_736_uV)
        return QStringLiteral("\tResolution(uV):\t736");
    return QStringLiteral("\tResolution(mV):\t") + QString::number(resolution);
}

QString filter_line(float filter_hz)
{
    // Written as "None" below 1 mHz; the negated test also sends a NaN there.
    const QString value = !(filter_hz >= 0.001f) ? QStringLiteral("None") : g6(filter_hz);
    return QStringLiteral("\tFilter(Hz):\t") + value;
}

QString param(const char *label, const QString &value)
{
    return QLatin1Char('\t') + QLatin1String(label) + QLatin1Char('\t') + value;
}

// Header lines 7 to 14; the order of the filter and ID lines differs by method, and readers take each
// by its line number.
QStringList parameter_lines(method_index m, const experiment_data &r)
{
    const QStringList &d = r.details;
    switch (m) {
    case method_index::cyclic:
        return {param("Er1(mV):", millivolts(r.e_min)),  param("Er2(mV):", millivolts(r.e_max)),
                param("Ei(mV):", millivolts(r.e_start)), param("Rate(mV/sec):", QString::number(r.rate)),
                param("Cycles:", QString::number(r.cycles)), resolution_line(r.resolution),
                param("ID:", device_word(d, 9)),          filter_line(r.filter_hz)};
    case method_index::differential_pulse:
        return {param("Ei(mV):", millivolts(r.e_min)),    param("Ef(mV):", millivolts(r.e_max)),
                param("Step(mV):", value_word(d, 3)),     param("Width(ms):", value_word(d, 4)),
                param("Period(ms):", value_word(d, 5)),   filter_line(r.filter_hz),
                param("ID:", device_word(d, 9)),          QString()};
    case method_index::square_wave:
        return {param("Ei(mV):", millivolts(r.e_min)),     param("Ef(mV):", millivolts(r.e_max)),
                param("Step(mV):", value_word(d, 3)),      param("Frequency(Hz):", value_word(d, 4)),
                param("Amplitude(mV):", value_word(d, 5)), filter_line(r.filter_hz),
                param("ID:", device_word(d, 9)),           QString()};
    case method_index::linear_sweep:
        return {param("Ei(mV):", millivolts(r.e_min)), param("Ef(mV):", millivolts(r.e_max)),
                param("Rate(mV/sec):", QString::number(r.rate)), resolution_line(r.resolution),
                param("ID:", device_word(d, 7)),       filter_line(r.filter_hz),
                QString(),                             QString()};
    case method_index::normal_pulse:
        return {param("Ei(mV):", millivolts(r.e_min)),  param("Ef(mV):", millivolts(r.e_max)),
                param("Step(mV):", value_word(d, 3)),   param("Width(ms):", value_word(d, 4)),
                param("Period(ms):", value_word(d, 5)), resolution_line(r.resolution),
                param("ID:", device_word(d, 9)),        filter_line(r.filter_hz)};
    case method_index::chronoamperometry:
        return {param("Ei(mV):", value_word(d, 1)), param("E1(mV):", value_word(d, 2)),
                param("E2(mV):", value_word(d, 3)), param("T1(ms):", value_word(d, 4)),
                param("Steps:", value_word(d, 5)),  filter_line(r.filter_hz),
                param("ID:", device_word(d, 9)),    QString()};
    case method_index::amperometry:
        return {param("E(mV):", value_word(d, 1)), param("Time(ms):", value_word(d, 2)),
                filter_line(r.filter_hz),          param("ID:", device_word(d, 6)),
                QString(), QString(), QString(), QString()};
    }
    return {};
}

// True when x lies exactly halfway between two six-digit values: its shortest exact spelling has seven
// significant digits, the last a 5.
bool halfway_at_six_digits(double x)
{
    char text[32];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, x);
    int digits = 0;
    char last = 0;
    for (const char *c = text; c < r.ptr && *c != 'e'; ++c) {
        if (*c < '0' || *c > '9' || (digits == 0 && *c == '0'))
            continue;
        ++digits;
        last = *c;
    }
    return digits == 7 && last == '5';
}

// A measured value in the form of QString::number(x, 'g', 6). Formatting millions of rows through QString takes
// most of a long save; the standard conversion gives the same text (six significant digits, correctly rounded,
// trailing zeros dropped, exponent form below 1e-4 and from 1e6 on, at least two exponent digits) except where
// the value lies exactly halfway (the standard rounds to even, Qt away from zero; times such as 1234.5 ms do lie
// there). Those, zeros, infinities and not-a-number keep Qt's own formatting.
void append_g6(QByteArray &out, double x)
{
    if (x == 0 || !std::isfinite(x) || halfway_at_six_digits(x)) {
        out += QByteArray::number(x, 'g', 6);
        return;
    }
    char text[32];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, x, std::chars_format::general, 6);
    out.append(text, int(r.ptr - text));
}

// Row i holds point i of both electrodes. While electrode 1 has a point the row ends with a tab; after
// that the row takes its potential from electrode 2 and marks the missing current "nan".
void append_row(QByteArray &out, int i, const point_span &a, const point_span &b)
{
    out += QByteArray::number(i);
    out += '\t';
    if (i < a.count) {
        append_g6(out, a.key(i));
        out += '\t';
        append_g6(out, a.value(i));
        out += '\t';
        if (i < b.count)
            append_g6(out, b.value(i));
        else
            out += "nan";
        out += '\t';
    } else {
        append_g6(out, b.key(i));
        out += "\tnan\t";
        append_g6(out, b.value(i));
    }
    out += '\n';
}

// Bytes reserved ahead for a row, so that appending rows does not keep moving the text.
constexpr int row_bytes_guess = 48;

} // namespace

experiment_text_writer::experiment_text_writer(const experiment_data &fields, const record_points &points,
                                               const export_stamp &stamp)
    : fields_(fields), points_(points), stamp_(stamp), method_(method_from_name(fields.method))
{
    // The points come from the spans alone: the series of `fields` are not needed and may be large.
    fields_.ch1 = fields_.ch2 = fields_.ch1_raw = fields_.ch2_raw = point_series();
}

int experiment_text_writer::rows_of(int section) const
{
    // Raw rows are counted on the raw curves themselves: a chronoamperometry run's shown curves are
    // shorter than its raw ones, and the last raw points must not be dropped.
    const point_span &a = points_[size_t(2 * section)];
    const point_span &b = points_[size_t(2 * section + 1)];
    return std::max(a.count, b.count);
}

double experiment_text_writer::fraction_done() const
{
    const double total = double(rows_of(0)) + double(rows_of(1));
    if (section_ >= 2 || total <= 0)
        return section_ >= 2 ? 1.0 : 0.0;
    const double done = section_ < 0 ? 0.0 : (section_ == 0 ? row_ : rows_of(0) + row_);
    return done / total;
}

void experiment_text_writer::append_header(QByteArray &out) const
{
    const experiment_data &record = fields_;
    QString text;
    text += QStringLiteral("\tQuelvarin\tTevrakov\tv") + g6(2.4) + QLatin1Char('\n');
    text += QStringLiteral("\tExported\t") + stamp_.when.toString(QStringLiteral("yyyy-MM-dd  HH:mm:ss")) +
            QLatin1Char('\n');
    text += QStringLiteral("\tExperiment:\t") + one_field(record.name) + QLatin1Char('\n');
    text += QStringLiteral("\tUser:\t") + one_field(stamp_.user) + QLatin1Char('\n');
    text += QStringLiteral("\t\n");
    text += QStringLiteral("\tMethod:\t") + record.method + QLatin1Char('\n');
    for (const QString &line : parameter_lines(*method_, record))
        text += line + QLatin1Char('\n');
    text += QStringLiteral("DATA\n");
    text += QStringLiteral("Data #\tBias E(V)\ti1(\u00b5A)\ti2(\u00b5A)\n");
    out += text.toUtf8();
}

bool experiment_text_writer::next(QByteArray &out, int rows)
{
    if (!method_ || section_ >= 2)
        return false;
    if (section_ < 0) {
        append_header(out);
        section_ = 0;
        row_ = 0;
        return true;
    }
    const point_span &a = points_[size_t(2 * section_)];
    const point_span &b = points_[size_t(2 * section_ + 1)];
    const int total = rows_of(section_);
    const int end = int(std::min<qint64>(total, qint64(row_) + std::max(rows, 1)));
    out.reserve(int(std::min<qint64>(qint64(out.size()) + qint64(end - row_) * row_bytes_guess + 16, 1 << 30)));
    for (; row_ < end; ++row_)
        append_row(out, row_, a, b);
    if (row_ >= total) {
        if (section_ == 0)
            out += "RAW DATA\n";
        ++section_;
        row_ = 0;
    }
    return true;
}

std::optional<QByteArray> write_experiment(const experiment_data &record, const export_stamp &stamp)
{
    const record_points points = {point_span::of(record.ch1), point_span::of(record.ch2),
                                  point_span::of(record.ch1_raw), point_span::of(record.ch2_raw)};
    experiment_text_writer writer(record, points, stamp);
    if (!writer.has_layout())
        return std::nullopt;
    QByteArray out;
    while (writer.next(out, std::numeric_limits<int>::max()))
        ;
    return out;
}

namespace {

// Writes `path` through QSaveFile: `write_body` writes the content and says whether all of it went out; only
// then is the file committed, so the old file stays unless the new one is whole.
save_result save_through(const QString &path, const std::function<bool(QSaveFile &)> &write_body)
{
    save_result result;
    if (path.isEmpty()) {
        result.error = QStringLiteral("No file name given.");
        return result;
    }
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written && !write_body(file)) {
        file.cancelWriting();
        written = false;
    }
    if (!written || !file.commit()) {
        result.error = QStringLiteral("Could not write %1: %2").arg(QFileInfo(path).fileName(), file.errorString());
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace

save_result save_text_atomically(const QString &path, const QByteArray &bytes)
{
    return save_through(path, [&](QSaveFile &file) { return file.write(bytes) == bytes.size(); });
}

save_result save_experiment_file(const QString &path, const experiment_data &record, const export_stamp &stamp)
{
    const std::optional<QByteArray> text = write_experiment(record, stamp);
    if (!text) {
        save_result result;
        result.error = QStringLiteral("The experiment's method \"%1\" has no file layout.").arg(record.method);
        return result;
    }
    return save_text_atomically(path, *text);
}

save_result save_experiment_in_parts(const QString &path, experiment_text_writer &writer,
                                     const std::function<void(double)> &between_parts)
{
    if (!writer.has_layout()) {
        save_result result;
        result.error = QStringLiteral("The experiment has no file layout.");
        return result;
    }
    return save_through(path, [&](QSaveFile &file) {
        // A part takes a few milliseconds to format: short enough for the window to keep painting in between,
        // even on a busy machine.
        constexpr int rows_per_part = 5000;
        // The commit waits until the whole file is on the disk; pushing it there as it goes, on a thread of its
        // own while the writing goes on, keeps that wait short (a few hundred MB at once would hold the window
        // for a second or more, and even a few MB can take a while on a busy disk).
        constexpr qint64 sync_every_bytes = 8 << 20;
        qint64 unsynced = 0;
        std::future<bool> syncing;
        QByteArray part;
        while (writer.next(part, rows_per_part)) {
            if (file.write(part) != part.size()) {
                if (syncing.valid())
                    syncing.wait();
                return false;
            }
            unsynced += part.size();
            part.clear();
            const bool sync_done =
                !syncing.valid() || syncing.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
            if (unsynced >= sync_every_bytes && sync_done && file.flush()) {
                syncing = std::async(std::launch::async, sync_file_data, int(file.handle()));
                unsynced = 0;
            }
            if (between_parts)
                between_parts(writer.fraction_done());
        }
        if (syncing.valid())
            syncing.wait();
        return true;
    });
}
