// Protocol files: method index on line 1, then the page's values in a fixed order per method. The
// position of the extra lead time differs by method, and only some methods end with a line feed; files
// already stored hold exactly this layout.
#include "files/protocol_file.h"

#include "files/text_lines.h"

#include <QByteArrayList>
#include <QVector>
#include <algorithm>
#include <cstdint>

namespace {

QByteArray number(int v) { return QByteArray::number(v); }

} // namespace

std::optional<QByteArray> write_protocol(method_index m, const method_pages &p, uint8_t extra_time_s)
{
    const QByteArray extra = number(extra_time_s);
    QByteArrayList values;
    bool final_line_feed = false;
    switch (m) {
    case method_index::cyclic:
        values = {number(p.cv.er1_mV), number(p.cv.er2_mV),
                  p.cv.ei_equals_er1 ? QByteArray("checked") : QByteArray("unchecked"),
                  number(p.cv.ei_mV), number(p.cv.rate_mV_s), number(p.cv.repeat), number(p.cv.step)};
        break;
    case method_index::differential_pulse:
        values = {number(p.dpv.ei_mV),   number(p.dpv.ef_mV),     extra, number(p.dpv.step_mV),
                  number(p.dpv.width_ms), number(p.dpv.period_ms), number(p.dpv.amplitude_mV)};
        final_line_feed = true;
        break;
    case method_index::square_wave:
        values = {number(p.swv.ei_mV),   number(p.swv.ef_mV),   extra,
                  number(p.swv.step_mV), number(p.swv.freq_Hz), number(p.swv.amplitude_mV)};
        final_line_feed = true;
        break;
    case method_index::linear_sweep:
        values = {number(p.lsv.ei_mV), number(p.lsv.ef_mV), number(p.lsv.rate_mV_s), extra};
        final_line_feed = true;
        break;
    case method_index::normal_pulse:
        values = {number(p.npv.ei_mV),    number(p.npv.ef_mV),     number(p.npv.step_mV),
                  number(p.npv.width_ms), number(p.npv.period_ms), extra};
        break;
    case method_index::chronoamperometry:
        values = {number(p.chrono.ei_mV), number(p.chrono.e1_mV), number(p.chrono.e2_mV),
                  number(p.chrono.t1_ms), number(p.chrono.steps), extra};
        break;
    case method_index::amperometry:
        return std::nullopt;
    }
    QByteArray out = number(static_cast<int>(m));
    for (const QByteArray &v : values)
        out += '\n' + v;
    if (final_line_feed)
        out += '\n';
    return out;
}

namespace {

// The file's lines, each ending at its first NUL and without a trailing carriage return (files edited
// elsewhere may end their lines in CR LF). A missing line reads as empty text, which gives 0.
class protocol_lines {
public:
    explicit protocol_lines(const QByteArray &bytes) : data(bytes), content_end(last_content(bytes)) {}

    bool at_end() const { return pos >= data.size(); }

    // Only blank lines left: one line feed too many must not start a pass that empties the form. The end
    // of the content is found once, so a long run of blank lines costs no more than its length.
    bool only_blank_left() const { return pos >= content_end; }

    QString next()
    {
        if (at_end())
            return QString();
        QString line = take_line(data, pos);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        return line;
    }

    int next_int() { return next().toInt(); }

private:
    // Just past the last character that is not blank; 0 for a file of blanks only.
    static int last_content(const QByteArray &bytes)
    {
        int end = bytes.size();
        while (end > 0) {
            const char c = bytes.at(end - 1);
            if (c != '\n' && c != '\r' && c != ' ' && c != '\t')
                break;
            --end;
        }
        return end;
    }

    const QByteArray &data;
    const int content_end;
    int pos = 0;
};

} // namespace

std::optional<protocol_contents> read_protocol(const QByteArray &bytes, const method_pages &current,
                                               uint8_t current_extra_time_s)
{
    protocol_lines probe(bytes);
    bool ok = false;
    const int index = probe.next().toInt(&ok);
    if (!ok || index < 0 || index >= method_count)
        return std::nullopt;

    protocol_contents out;
    out.method = static_cast<method_index>(index);
    out.pages = current;
    out.extra_time_s = current_extra_time_s;
    method_pages &p = out.pages;
    // The lead time is kept as one byte. A value outside it is held at the nearest end, as the settings
    // line is: wrapping would turn 300 s into 44 s and silently shorten the run.
    auto extra = [&out](int v) { out.extra_time_s = static_cast<uint8_t>(std::clamp(v, 0, int(UINT8_MAX))); };

    protocol_lines lines(bytes);
    // Lines beyond a method's own values start another pass over the same boxes; blank lines alone do not.
    while (!lines.at_end() && !lines.only_blank_left()) {
        lines.next(); // the index, already taken
        switch (out.method) {
        case method_index::cyclic:
            p.cv.er1_mV = lines.next_int();
            p.cv.er2_mV = lines.next_int();
            p.cv.ei_equals_er1 = lines.next() == QLatin1String("checked");
            p.cv.ei_mV = lines.next_int();
            p.cv.rate_mV_s = lines.next_int();
            p.cv.repeat = lines.next_int();
            p.cv.step = lines.next_int();
            break;
        case method_index::differential_pulse:
            p.dpv.ei_mV = lines.next_int();
            p.dpv.ef_mV = lines.next_int();
            extra(lines.next_int());
            p.dpv.step_mV = lines.next_int();
            p.dpv.width_ms = lines.next_int();
            p.dpv.period_ms = lines.next_int();
            p.dpv.amplitude_mV = lines.next_int();
            break;
        case method_index::square_wave:
            p.swv.ei_mV = lines.next_int();
            p.swv.ef_mV = lines.next_int();
            extra(lines.next_int());
            p.swv.step_mV = lines.next_int();
            p.swv.freq_Hz = lines.next_int();
            p.swv.amplitude_mV = lines.next_int();
            break;
        case method_index::linear_sweep:
            p.lsv.ei_mV = lines.next_int();
            p.lsv.ef_mV = lines.next_int();
            p.lsv.rate_mV_s = lines.next_int();
            extra(lines.next_int());
            break;
        case method_index::normal_pulse:
            p.npv.ei_mV = lines.next_int();
            p.npv.ef_mV = lines.next_int();
            p.npv.step_mV = lines.next_int();
            p.npv.width_ms = lines.next_int();
            p.npv.period_ms = lines.next_int();
            extra(lines.next_int());
            break;
        case method_index::chronoamperometry:
            p.chrono.ei_mV = lines.next_int();
            p.chrono.e1_mV = lines.next_int();
            p.chrono.e2_mV = lines.next_int();
            p.chrono.t1_ms = lines.next_int();
            p.chrono.steps = lines.next_int();
            extra(lines.next_int());
            break;
        case method_index::amperometry:
            return out; // selects the method, nothing else to load
        }
    }
    return out;
}
