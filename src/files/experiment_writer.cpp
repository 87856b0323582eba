// Writers of the experiment file: a 14-line header, then "DATA" with the shown curves and "RAW DATA" with
// the unfiltered ones, tab-separated.
#include "files/experiment_writer.h"

#include "files/number_fields.h"
#include "platform/file_sync.h"

#include <QFileInfo>
#include <QSaveFile>
#include <charconv>
#include <chrono>
#include <future>
#include <cmath>
#include <cstring>
#include <deque>
#include <limits>
#include <thread>

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
// significant digits, the last a 5. A whole number may be spelt with zeros after its significant digits
// (10064250), which do not count.
bool halfway_at_six_digits(double x)
{
    char text[32];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, x);
    int digits = 0, trailing_zeros = 0;
    char last_nonzero = 0;
    for (const char *c = text; c < r.ptr && *c != 'e'; ++c) {
        if (*c < '0' || *c > '9' || (digits == 0 && *c == '0'))
            continue;
        ++digits;
        if (*c == '0') {
            ++trailing_zeros;
        } else {
            trailing_zeros = 0;
            last_nonzero = *c;
        }
    }
    return digits - trailing_zeros == 7 && last_nonzero == '5';
}

// A measured value in the form of QString::number(x, 'g', 6), the slow but sure way. The standard conversion gives
// the same text (six significant digits, correctly rounded, trailing zeros dropped, exponent form below 1e-4 and
// from 1e6 on, at least two exponent digits) except where the value lies exactly halfway (the standard rounds to
// even, Qt away from zero; times such as 1234.5 ms do lie there). Those, zeros, infinities and not-a-number keep
// Qt's own formatting.
char *g6_exact(char *out, double x)
{
    if (x == 0 || !std::isfinite(x) || halfway_at_six_digits(x)) {
        const QByteArray text = QByteArray::number(x, 'g', 6);
        std::memcpy(out, text.constData(), size_t(text.size()));
        return out + text.size();
    }
    return std::to_chars(out, out + 32, x, std::chars_format::general, 6).ptr;
}

// The same text the quick way, for the values a record holds: the value scaled by one exact power of ten to six
// digits before the point, with a single rounding, so the digits are certain unless the scaled value lies within
// a hair of a rounding boundary; then, and outside the range of exact powers, g6_exact decides.
char *g6(char *out, double x)
{
    const double a = std::fabs(x);
    if (!(a >= 1e-15 && a < 1e21))
        return g6_exact(out, x);
    // The decimal exponent from the binary one: right or one too low, which the scaling below puts right.
    int binary_exponent = 0;
    std::frexp(a, &binary_exponent);
    int e = int(std::floor((binary_exponent - 1) * 0.30102999566398120));
    const auto scaled_by = [a](int k) { return k >= 0 ? a * exact_power_of_ten(k) : a / exact_power_of_ten(-k); };
    double scaled = scaled_by(5 - e);
    if (scaled < 1e5) {
        --e;
        scaled = scaled_by(5 - e);
    } else if (scaled >= 1e6) {
        ++e;
        scaled = scaled_by(5 - e);
    }
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    constexpr double hair = 1e-6;
    if (std::fabs(fraction - 0.5) < hair || scaled < 1e5 + hair || scaled >= 1e6 - 1 + 0.5 - hair)
        return g6_exact(out, x);
    int digits = int(whole) + (fraction > 0.5 ? 1 : 0);   // 100000 .. 999999
    char d[6];
    for (int k = 5; k >= 0; --k, digits /= 10)
        d[k] = char('0' + digits % 10);
    int n = 6;   // significant digits without the trailing zeros
    while (n > 1 && d[n - 1] == '0')
        --n;
    if (x < 0)
        *out++ = '-';
    if (e < -4 || e >= 6) {
        *out++ = d[0];
        if (n > 1) {
            *out++ = '.';
            for (int k = 1; k < n; ++k)
                *out++ = d[k];
        }
        *out++ = 'e';
        *out++ = e < 0 ? '-' : '+';
        const int ae = e < 0 ? -e : e;
        if (ae >= 100)
            *out++ = char('0' + ae / 100);
        *out++ = char('0' + ae / 10 % 10);
        *out++ = char('0' + ae % 10);
    } else if (e >= 0) {
        for (int k = 0; k <= e; ++k)
            *out++ = k < n ? d[k] : '0';
        if (n > e + 1) {
            *out++ = '.';
            for (int k = e + 1; k < n; ++k)
                *out++ = d[k];
        }
    } else {
        *out++ = '0';
        *out++ = '.';
        for (int k = -1; k > e; --k)
            *out++ = '0';
        for (int k = 0; k < n; ++k)
            *out++ = d[k];
    }
    return out;
}

char *put(char *out, const char *text, size_t n)
{
    std::memcpy(out, text, n);
    return out + n;
}

// The longest row: a ten-digit index and three values of at most 13 characters, with their tabs and line end.
constexpr int row_bytes_max = 64;

// Row i holds point i of both electrodes. While electrode 1 has a point the row ends with a tab; after
// that the row takes its potential from electrode 2 and marks the missing current "nan".
char *put_row(char *out, int i, const point_span &a, const point_span &b)
{
    out = std::to_chars(out, out + 12, i).ptr;
    *out++ = '\t';
    if (i < a.count) {
        out = g6(out, a.key(i));
        *out++ = '\t';
        out = g6(out, a.value(i));
        *out++ = '\t';
        if (i < b.count)
            out = g6(out, b.value(i));
        else
            out = put(out, "nan", 3);
        *out++ = '\t';
    } else {
        out = g6(out, b.key(i));
        out = put(out, "\tnan\t", 5);
        out = g6(out, b.value(i));
    }
    *out++ = '\n';
    return out;
}

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

void experiment_text_writer::append_rows(QByteArray &out, int section, int from, int to) const
{
    const point_span &a = points_[size_t(2 * section)];
    const point_span &b = points_[size_t(2 * section + 1)];
    to = std::min(to, rows_of(section));
    if (from >= to)
        return;
    // A few thousand rows at a time: room for the longest rows, then cut back to what they took.
    constexpr int rows_at_once = 4096;
    for (int first = from; first < to; first += rows_at_once) {
        const int last = std::min(to, first + rows_at_once);
        const int at = out.size();
        const qint64 room = qint64(at) + qint64(last - first) * row_bytes_max;
        if (room > std::numeric_limits<int>::max())
            qBadAlloc();   // as a byte array refuses to grow beyond what it can hold
        out.resize(int(room));
        char *p = out.data() + at;
        for (int i = first; i < last; ++i)
            p = put_row(p, i, a, b);
        out.resize(int(p - out.constData()));
    }
}

QByteArray experiment_text_writer::header() const
{
    QByteArray out;
    if (method_)
        append_header(out);
    return out;
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
    const int total = rows_of(section_);
    const int end = int(std::min<qint64>(total, qint64(row_) + std::max(rows, 1)));
    append_rows(out, section_, row_, end);
    row_ = end;
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

save_result save_experiment_in_parts(const QString &path, const experiment_text_writer &writer,
                                     const std::function<void(double)> &between_parts)
{
    if (!writer.has_layout()) {
        save_result result;
        result.error = QStringLiteral("The experiment has no file layout.");
        return result;
    }
    return save_through(path, [&](QSaveFile &file) {
        // Formatting the numbers takes most of a long save: the rows are formatted in parts on several threads at
        // once, and the parts written in order as they come.
        constexpr int rows_per_part = 32768;
        const int threads = int(std::max(2u, std::min(4u, std::thread::hardware_concurrency() / 2)));
        // The commit waits until the whole file is on the disk; pushing it there as it goes, on a thread of its
        // own while the writing goes on, keeps that wait short.
        constexpr qint64 sync_every_bytes = 32 << 20;
        qint64 unsynced = 0;
        std::future<bool> syncing;
        const auto write = [&](const QByteArray &part) {
            if (file.write(part) != part.size())
                return false;
            unsynced += part.size();
            const bool sync_done =
                !syncing.valid() || syncing.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
            if (unsynced >= sync_every_bytes && sync_done && file.flush()) {
                syncing = std::async(std::launch::async, sync_file_data, int(file.handle()));
                unsynced = 0;
            }
            return true;
        };
        const double total = std::max(1.0, double(writer.rows_of(0)) + double(writer.rows_of(1)));
        double done = 0;
        bool ok = write(writer.header());
        for (int section = 0; section < 2 && ok; ++section) {
            const int rows = writer.rows_of(section);
            std::deque<std::future<QByteArray>> formatting;
            int next = 0;
            while (ok && (next < rows || !formatting.empty())) {
                // Twice as many parts under way as threads: the next are ready while one is written.
                while (next < rows && int(formatting.size()) < 2 * threads) {
                    const int from = next;
                    next = int(std::min<qint64>(rows, qint64(next) + rows_per_part));
                    formatting.push_back(std::async(std::launch::async, [&writer, section, from, to = next] {
                        QByteArray part;
                        writer.append_rows(part, section, from, to);
                        return part;
                    }));
                }
                const QByteArray part = formatting.front().get();
                formatting.pop_front();
                ok = write(part);
                done += rows_per_part;
                if (between_parts)
                    between_parts(std::min(1.0, done / total));
            }
            // A part still under way reads the points: it ends before they may go (a future from std::async
            // waits for its thread when it is dropped).
            formatting.clear();
            if (ok && section == 0)
                ok = write(QByteArrayLiteral("RAW DATA\n"));
        }
        if (syncing.valid())
            syncing.wait();
        return ok;
    });
}
