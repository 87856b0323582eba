// Experiment file readers. Every header line is taken by its number; a field that is not in the line
// reads as empty text and a number that does not convert as 0, so no input can reach past what is there.
#include "files/experiment_reader.h"

#include "files/experiment_rows.h"
#include "files/number_fields.h"
#include "files/text_lines.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QVector>
#include <cmath>
#include <algorithm>
#include <cstring>
#include <deque>
#include <future>
#include <limits>
#include <thread>
#include <vector>

namespace {

// A header line's fields, decoded as UTF-8.
QStringList header_fields(std::string_view line)
{
    return QString::fromUtf8(line.data(), int(line.size())).split(QLatin1Char('\t'));
}

QString field(const QStringList &fields, int i) { return fields.value(i); }

// Numbers as the files hold them; text that is not a finite number reads as 0.
float to_float(const QString &text)
{
    bool ok = false;
    const float v = text.toFloat(&ok);
    return (ok && std::isfinite(v)) ? v : 0.0f;
}

int to_int(const QString &text) { return text.toInt(); }

int truncate_to_int(double x)
{
    const double t = std::trunc(x);
    if (!std::isfinite(t))
        return 0;
    if (t > 2147483647.0)
        return 2147483647;
    if (t < -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(t);
}

QString filter_details(float filter_hz)
{
    if (filter_hz >= 0.001f)
        return QStringLiteral("Filter: ") + QString::number(filter_hz, 'g', 6) + QStringLiteral("Hz");
    return QStringLiteral("Filter: None");
}

class reader {
public:
    reader(method_index m, bool legacy, const method_pages &form) : method(m), legacy(legacy)
    {
        out.method = m;
        out.legacy_layout = legacy;
        out.form = form;
    }

    // Line n of the file, counted from 1, in order.
    // `cut`: the line had no line feed, so the file ends inside it.
    void line(int n, std::string_view text, bool cut = false)
    {
        if (n < first_data_line)
            header(n, header_fields(text), cut);
        else if (!cut)  // a row cut inside a number ("2.5e+06" read as 2.5) is no point
            rows.take(line_fields(text));
        else
            out.cut_short = true;
    }

    // A header line already split into its fields.
    void header(int n, const QStringList &fields, bool cut = false)
    {
        if (cut)
            out.cut_short = true;
        header_line(n, fields);
    }


    // From this line on every line is a row (or the "RAW DATA" line), whatever comes: the rest of the file can
    // be tallied in parts.
    bool only_rows_from(int n) const { return n > 14 && n >= first_data_line; }
    row_tally &tally() { return rows; }

    // After the last line read, n.
    experiment_file_contents finish_at(int n)
    {
        // Header lines the file does not reach still leave their details line, so the details keep the
        // shape a run gives them and the writers find each line at its index.
        for (int k = n + 1; k <= 14; ++k)
            header_line(k, QStringList(), false);
        take_rows();
        finish();
        return out;
    }

private:
    using prefix = const char *;

    void add_details(const QString &line) { out.record.details.append(line); }

public:
    // Room for this many rows in each section, made once: a point list that grows by itself copies all it holds
    // each time it doubles, and for millions of rows one such copy holds a window far too long.
    void expect_rows(int count)
    {
        for (point_series *s : {&rows.shown[0], &rows.shown[1], &rows.raw[0], &rows.raw[1]}) {
            s->keys.reserve(count);
            s->values.reserve(count);
        }
    }

private:
    void add_param(prefix p, const QString &value) { add_details(QLatin1String(p) + value); }

    void header_line(int n, const QStringList &fields, bool present = true)
    {
        const QString value = field(fields, 2);
        experiment_data &r = out.record;
        switch (n) {
        case 2: export_date = value; return;
        case 3: out.experiment_name = value; return;
        case 4: user = value; return;
        case 6:
            r.method = fields.isEmpty() ? QString() : fields.last();
            add_details(r.method);
            return;
        default: break;
        }
        if (n < 7 || n > 14)
            return;
        if (method == method_index::cyclic)
            cyclic_line(n, fields, present);
        else
            method_line(n, fields, present);
        if (n == 14)
            add_tail();
    }

    void cyclic_line(int n, const QStringList &fields, bool present)
    {
        experiment_data &r = out.record;
        const QString value = field(fields, 2);
        switch (n) {
        case 7:
            add_param("Er1(mV): ", value);
            if (!legacy && present)
                r.e_min = to_float(value) / 1000.0f;
            break;
        case 8:
            add_param("Er2(mV): ", value);
            if (!legacy && present)
                r.e_max = to_float(value) / 1000.0f;
            break;
        case 9:
            add_param("Ei(mV): ", value);
            if (!legacy && present)
                r.e_start = to_float(value) / 1000.0f;
            break;
        case 10:
            add_param("Rate(mV/sec): ", value);
            r.rate = static_cast<uint16_t>(to_int(value));
            break;
        case 11: {
            const QString cycles = to_int(value) == 0 ? QStringLiteral("1") : value;
            add_param("Cycles: ", cycles);
            r.cycles = static_cast<uint16_t>(to_int(cycles));
            break;
        }
        case 12: r.resolution = static_cast<uint16_t>(to_int(value)); break;
        case 13: id_line(fields); break;
        case 14: {
            const QLatin1String label = legacy ? QLatin1String("Filter:") : QLatin1String("Filter(Hz):");
            if (fields.size() == 1) {
                // Older files (and overwritten short ones) have no filter line: rows start here.
                r.filter_hz = 0;
                first_data_line = 15;
                raw_from_shown = true;
            } else if (fields.size() >= 2 && field(fields, 1) == label) {
                r.filter_hz = to_float(value);
                first_data_line = legacy ? 16 : 17;
            } else if (present) {
                first_data_line = 15;
                raw_from_shown = true;
            }
            add_details(filter_details(r.filter_hz));
            break;
        }
        default: break;
        }
    }

    void method_line(int n, const QStringList &fields, bool present)
    {
        experiment_data &r = out.record;
        // A line the file does not reach holds no value: the form keeps its own.
        method_pages absent;
        method_pages &f = present ? out.form : absent;
        const QString value = field(fields, 2);
        const int v = to_int(value);
        switch (method) {
        case method_index::differential_pulse:
            switch (n) {
            case 7: add_param("Ei(mV): ", value); f.dpv.ei_mV = v; break;
            case 8: add_param("Ef(mV): ", value); f.dpv.ef_mV = v; break;
            case 9: add_param("Step(mV): ", value); f.dpv.step_mV = v; break;
            case 10: add_param("Width(ms): ", value); f.dpv.width_ms = v; break;
            case 11:
                add_param("Period(ms): ", value);
                f.dpv.period_ms = v;
                r.rate = static_cast<uint16_t>(v); // the filter takes 1000 / period as its sampling rate
                break;
            case 12: filter_line(fields); break;
            case 13: id_line(fields); break;
            default: break;
            }
            break;
        case method_index::square_wave:
            switch (n) {
            case 7: add_param("Ei(mV): ", value); f.swv.ei_mV = v; break;
            case 8: add_param("Ef(mV): ", value); f.swv.ef_mV = v; break;
            case 9: add_param("Step(mV): ", value); f.swv.step_mV = v; break;
            case 10:
                add_param("Frequency(Hz): ", value);
                f.swv.freq_Hz = v;
                r.rate = static_cast<uint16_t>(v);
                break;
            case 11: add_param("Amplitude(mV): ", value); f.swv.amplitude_mV = v; break;
            case 12: filter_line(fields); break;
            case 13: id_line(fields); break;
            default: break;
            }
            break;
        case method_index::linear_sweep:
            switch (n) {
            case 7: add_param("Ei(mV): ", value); f.lsv.ei_mV = v; break;
            case 8: add_param("Ef(mV): ", value); f.lsv.ef_mV = v; break;
            case 9:
                add_param("Rate(mV/sec): ", value);
                f.lsv.rate_mV_s = v;
                r.rate = static_cast<uint16_t>(v);
                break;
            case 10: r.resolution = static_cast<uint16_t>(v); break;
            case 11: id_line(fields); break;
            case 12: filter_line(fields); break;
            default: break;
            }
            break;
        case method_index::normal_pulse:
            switch (n) {
            case 7: add_param("Ei(mV): ", value); f.npv.ei_mV = v; break;
            case 8: add_param("Ef(mV): ", value); f.npv.ef_mV = v; break;
            case 9: add_param("Step(mV): ", value); f.npv.step_mV = v; break;
            case 10: add_param("Width(ms): ", value); f.npv.width_ms = v; break;
            case 11:
                add_param("Period(ms): ", value);
                f.npv.period_ms = v;
                // As a run stores it: the pulse rate, which the filter takes as its sampling rate.
                r.rate = v > 0 ? static_cast<uint16_t>(1000 / v) : 0;
                break;
            case 12: r.resolution = static_cast<uint16_t>(v); break;
            case 13: id_line(fields); break;
            case 14: filter_line(fields); break;
            default: break;
            }
            break;
        case method_index::chronoamperometry:
            switch (n) {
            case 7: add_param("Ei(mV): ", value); f.chrono.ei_mV = v; break;
            case 8:
                add_param("E1(mV): ", value);
                f.chrono.e1_mV = v;
                if (present)
                    r.e_start = static_cast<float>(v); // as a run stores it, until the first row replaces it
                break;
            case 9: add_param("E2(mV): ", value); f.chrono.e2_mV = v; break;
            case 10:
                // The step time and the step count drive the step-wise filtering of the curves.
                add_param("T1(ms): ", value);
                f.chrono.t1_ms = v;
                r.rate = static_cast<uint16_t>(v);
                break;
            case 11:
                add_param("Steps: ", value);
                f.chrono.steps = v;
                if (present)
                    r.cycles = static_cast<uint16_t>(v);
                break;
            case 12: filter_line(fields); break;
            case 13: id_line(fields); break;
            default: break;
            }
            break;
        case method_index::amperometry:
            switch (n) {
            case 7: add_param("E(mV): ", value); f.ampero.potential_mV = v; break;
            case 8: add_param("Time(ms): ", value); f.ampero.run_time_ms = v; break;
            case 9: filter_line(fields); break;
            case 10: id_line(fields); break;
            default: break;
            }
            break;
        case method_index::cyclic: break;
        }
    }

    // A filter line with another label leaves the cut-off as it stands but still gives its details line.
    void filter_line(const QStringList &fields)
    {
        if (field(fields, 1) == QLatin1String("Filter(Hz):"))
            out.record.filter_hz = to_float(field(fields, 2));
        add_details(filter_details(out.record.filter_hz));
    }

    // The device word is "RZ410-K2605" and the id in at least two digits; an id of 100 or more is read whole.
    void id_line(const QStringList &fields)
    {
        if (fields.size() < 3)
            return;
        const QString value = fields.at(2);
        if (value.size() < 13)
            return;
        bool ok = false;
        uint id = value.mid(11).toUInt(&ok);
        if (!ok || id > 255) {
            id = value.mid(11, 2).toUInt(&ok);
            if (!ok)
                id = 0;
        }
        out.record.device_id = static_cast<uint8_t>(id);
    }

    void add_tail()
    {
        const uint8_t id = out.record.device_id;
        add_details(QStringLiteral("Date: ") + export_date);
        add_details(QStringLiteral("User: ") + user);
        add_details((id <= 9 ? QStringLiteral("Device ID: RZ410-K26050") : QStringLiteral("Device ID: RZ410-K2605")) +
                    QString::number(id));
    }

    // The rows tallied so far become the record's curves; DATA rows set the extremes and the first potential.
    void take_rows()
    {
        experiment_data &r = out.record;
        r.ch1 = std::move(rows.shown[0]);
        r.ch2 = std::move(rows.shown[1]);
        r.ch1_raw = std::move(rows.raw[0]);
        r.ch2_raw = std::move(rows.raw[1]);
        if (rows.seen_row) {
            r.e_start = rows.first_key;
            r.e_min = rows.e_lo;
            r.e_max = rows.e_hi;
            r.i_min = rows.i_lo;
            r.i_max = rows.i_hi;
        }
    }

    void finish()
    {
        experiment_data &r = out.record;
        // Files without a raw block keep the shown curves as their raw data.
        if (raw_from_shown && r.ch1_raw.empty() && r.ch2_raw.empty()) {
            r.ch1_raw = r.ch1;
            r.ch2_raw = r.ch2;
        }
        const bool has1 = !r.ch1.empty() || !r.ch1_raw.empty();
        const bool has2 = !r.ch2.empty() || !r.ch2_raw.empty();
        r.ch1_shown = r.ch1.empty() ? 0 : 1;
        r.ch2_shown = r.ch2.empty() ? 0 : 1;
        r.channel_code = static_cast<uint8_t>((has1 ? 1 : 0) | (has2 ? 2 : 0));
        if (method == method_index::amperometry)
            r.rate = 1; // what a run stores for amperometry
        out.we1 = !r.ch1.empty();
        out.we2 = !r.ch2.empty();
        if (method == method_index::cyclic) {
            cv_parameters &cv = out.form.cv;
            cv.er1_mV = truncate_to_int(static_cast<double>(r.e_min) * 1000.0);
            cv.er2_mV = truncate_to_int(static_cast<double>(r.e_max) * 1000.0);
            cv.ei_mV = truncate_to_int(static_cast<double>(r.e_start) * 1000.0);
            cv.ei_equals_er1 = cv.ei_mV == cv.er1_mV;
            cv.rate_mV_s = r.rate;
            cv.repeat = r.cycles;
            const bool usable = (r.resolution >= 1 && r.resolution <= 255) || r.resolution == step_736_uV;
            cv.step = usable ? r.resolution : 1;
        }
    }

    method_index method;
    bool legacy;
    experiment_file_contents out;
    QString export_date, user;
    int first_data_line = 17;
    bool raw_from_shown = false;
    row_tally rows;
};

} // namespace

struct experiment_file_reading::state {
    state(QIODevice &source, const method_pages &form, qint64 block_bytes)
        : device(source), lines(source, experiment_longest_line, block_bytes), form(form), block_bytes(block_bytes)
    {
    }
    QIODevice &device;
    byte_lines lines;
    method_pages form;
    qint64 block_bytes;
    std::optional<reader> method_reader;
    int n = 0;
    bool done = false;
    bool too_long = false;
    int expected_rows = 0;
    bool in_blocks = false;  // the header is behind: the rows are read a block at a time
    bool device_done = false;
    QByteArray carry;        // the start of a line whose end is in the next block

    // The next line, or false at the end of the text or at a line too long to be one of the file's.
    bool next(std::string_view &line)
    {
        const byte_lines::result r = lines.next(line);
        too_long = r == byte_lines::result::too_long;
        return r == byte_lines::result::line;
    }

    // The next block of whole lines; empty at the end of the file. What follows the block's last line feed is
    // kept for the next one.
    QByteArray next_block()
    {
        QByteArray block = std::move(carry);
        carry = QByteArray();
        if (!device_done) {
            // No more room than the file has left: small files are read often (and in tests by the thousand).
            const qint64 left = device.isSequential() ? block_bytes : device.size() - device.pos();
            const qint64 want = std::max<qint64>(1, std::min(block_bytes, left));
            const int at = block.size();
            block.resize(at + int(want));
            const qint64 got = device.read(block.data() + at, want);
            block.resize(at + int(std::max<qint64>(got, 0)));
            device_done = got <= 0;
        }
        const int last = block.lastIndexOf('\n');
        carry = block.mid(last + 1);
        block.truncate(last + 1);
        return block;
    }

    // Takes the lines of `text` one by one, as far as the line cap lets it.
    void take_lines(const QByteArray &text, int line_cap)
    {
        const char *at = text.constData();
        const char *const end = at + text.size();
        while (at < end && n <= line_cap) {
            const char *feed = static_cast<const char *>(std::memchr(at, '\n', size_t(end - at)));
            const char *stop = feed ? feed : end;
            const char *nul = static_cast<const char *>(std::memchr(at, '\0', size_t(stop - at)));
            method_reader->line(++n, std::string_view(at, size_t((nul ? nul : stop) - at)), !feed);
            at = stop + 1;
        }
    }

    // Blocks read and being tallied, in file order: while the first are added, the next are tallied already.
    struct pending_block {
        QByteArray text;
        std::future<row_tally> tally;
    };
    std::deque<pending_block> pending;

    // Adds the tallies of the next blocks in order, keeping several blocks under way on as many threads. False
    // once the file is read.
    bool read_blocks(int line_cap)
    {
        if (!in_blocks) {
            carry = lines.take_buffered();
            in_blocks = true;
        }
        const size_t threads = std::max(2u, std::min(4u, std::thread::hardware_concurrency() / 2));
        while (pending.size() < 2 * threads) {
            QByteArray block = next_block();
            if (carry.size() > experiment_longest_line) {
                too_long = true;
                return false;
            }
            if (block.isEmpty() && device_done)
                break;
            if (block.isEmpty())
                continue;
            // A file read in a single block (a short one) is tallied right here.
            const auto launch = device_done && pending.empty() ? std::launch::deferred : std::launch::async;
            pending.push_back({std::move(block), {}});
            const QByteArray &text = pending.back().text;
            pending.back().tally =
                std::async(launch, [&text] { return tally_lines(text.constData(), text.constData() + text.size()); });
        }
        for (size_t k = 0; k < threads && !pending.empty(); ++k) {
            const row_tally t = pending.front().tally.get();
            if (t.line_too_long) {
                too_long = true;
                return false;
            }
            if (qint64(n) + t.lines > line_cap) {
                // The cap falls inside this block: its lines are taken one by one up to the cap.
                take_lines(pending.front().text, line_cap);
                return false;
            }
            method_reader->tally().add(t);
            n += t.lines;
            pending.pop_front();
        }
        if (!pending.empty() || !device_done)
            return true;
        // A last line without its line feed: the file was cut inside it.
        if (!carry.isEmpty())
            take_lines(carry, line_cap);
        return false;
    }

    ~state()
    {
        // A block still being tallied reads its text: it ends before the text goes.
        for (pending_block &p : pending)
            if (p.tally.valid())
                p.tally.wait();
    }
};

experiment_file_reading::experiment_file_reading(QIODevice &source, int line_cap, const method_pages &form,
                                                 qint64 block_bytes)
    : d(std::make_unique<state>(source, form, block_bytes)), line_cap(line_cap)
{
}

experiment_file_reading::~experiment_file_reading() = default;

bool experiment_file_reading::step(int lines)
{
    if (d->done)
        return false;
    std::string_view line;
    if (!d->method_reader) {
        // The first six lines name the layout: older cyclic files by their version alone, whatever line 6 says.
        QVector<QStringList> head;
        while (head.size() < 6 && d->next(line))
            head.append(header_fields(line));
        const std::optional<method_index> m = head.size() < 6 ? std::nullopt : method_from_name(head[5].last());
        const QString version = head.isEmpty() ? QString() : head[0].last();
        const bool legacy = head.size() == 6 && (version == QLatin1String("v2.0") || version == QLatin1String("v2.1"));
        if (d->too_long || (!legacy && !m)) {
            d->done = true;
            return false;
        }
        d->method_reader.emplace(legacy ? method_index::cyclic : *m, legacy, d->form);
        d->method_reader->expect_rows(d->expected_rows);
        for (int k = 0; k < head.size(); ++k) {
            const bool last = k == head.size() - 1;
            d->method_reader->header(++d->n, head[k], last && d->lines.cut_short());
            if (d->n > line_cap) {
                d->done = true;
                return false;
            }
        }
    }
    for (int k = 0; k < lines; ++k) {
        if (d->method_reader->only_rows_from(d->n + 1)) {
            d->done = !d->read_blocks(line_cap);
            return !d->done;
        }
        if (!d->next(line)) {
            d->done = true;
            return false;
        }
        d->method_reader->line(++d->n, line, d->lines.cut_short());
        if (d->n > line_cap) {
            d->done = true;
            return false;
        }
    }
    return true;
}

bool experiment_file_reading::line_too_long() const { return d->too_long; }

qint64 experiment_file_reading::bytes_read() const { return d->device.pos(); }

void experiment_file_reading::expect_bytes(qint64 bytes)
{
    // A row takes at least some 20 bytes; both sections hold about the same count.
    d->expected_rows = int(std::min<qint64>(bytes / 20 / 2, experiment_line_cap));
}

std::optional<experiment_file_contents> experiment_file_reading::result()
{
    if (!d->method_reader || d->too_long)
        return std::nullopt;
    return d->method_reader->finish_at(d->n);
}

std::optional<experiment_file_contents> read_experiment(const QByteArray &bytes, int line_cap,
                                                        const method_pages &form)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    experiment_file_reading reading(buffer, line_cap, form);
    while (reading.step(std::numeric_limits<int>::max()))
        ;
    return reading.result();
}

experiment_load load_experiment_file(const QString &path, const method_pages &form,
                                     const std::function<bool(double)> &between_parts)
{
    experiment_load result;
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    // The reader keeps its own blocks: a second buffer inside the file object would only copy every byte again.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        result.error = QStringLiteral("Could not open %1: %2").arg(name, file.errorString());
        return result;
    }
    // Parts of some tens of milliseconds: the progress shown moves smoothly and a cancel is noticed at once.
    constexpr int lines_per_part = 100000;
    experiment_file_reading reading(file, experiment_line_cap, form);
    reading.expect_bytes(file.size());
    const double size = std::max<qint64>(file.size(), 1);
    while (reading.step(lines_per_part)) {
        if (between_parts && !between_parts(double(reading.bytes_read()) / size)) {
            result.cancelled = true;
            return result;
        }
    }
    result.contents = reading.result();
    if (reading.line_too_long())
        result.error = QStringLiteral("%1 is not an experiment file: it holds a line longer than any experiment "
                                      "file has.").arg(name);
    else if (!result.contents)
        result.error = QStringLiteral("%1 holds no experiment that can be read.").arg(name);
    else if (result.contents->cut_short)
        result.warning =
            QStringLiteral("%1 was cut short: its last line is incomplete and was not read.").arg(name);
    return result;
}
