// Analysis files: 21 header lines read by their number, "RAW DATA", then rows of eight TAB-ended fields.
// Every field the reader takes is checked against what its use can bear: a text that is not a number, a
// number out of range or a field the line does not have reads as missing.
#include "analysis/analysis_file.h"

#include "files/text_lines.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

const QByteArray micro_amp = QByteArrayLiteral("\xC2\xB5" "A"); // "µA" in UTF-8

QByteArray g6(double x) { return QByteArray::number(x, 'g', 6); }

// A TAB, line end or NUL inside a text would shift or cut every later field of the file.
QByteArray one_field(QString text)
{
    for (QChar &c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0))
            c = QLatin1Char(' ');
    }
    return text.toUtf8();
}

QByteArray header(const char *label, const QByteArray &value)
{
    return QByteArray("\t") + label + '\t' + value + '\n';
}

// Point i of a curve as two fields, or "nan" twice past its end.
void append_pair(QByteArray &out, const QVector<ei_point> &curve, int i)
{
    if (i < curve.size())
        out += g6(curve[i].e_V) + '\t' + g6(curve[i].i_uA) + '\t';
    else
        out += "nan\tnan\t";
}

// Splits the text into lines at LF; a CR before the LF (a file passed through another system) is dropped.
class line_source {
public:
    explicit line_source(const QByteArray &bytes) : data(bytes) {}

    bool next(QStringList &fields)
    {
        if (pos >= data.size())
            return false;
        QString line = take_line(data, pos);
        // take_line steps past the line feed, or one past the end when the line has none.
        ended = pos <= data.size();
        while (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        fields = line.split(QLatin1Char('\t'));
        return true;
    }

    // Whether the line last read ended with a line feed; the writer puts none after the last row.
    bool line_ended() const { return ended; }

private:
    const QByteArray &data;
    int pos = 0;
    bool ended = false;
};

// The writer ends each of a row's eight fields with a TAB, the last row's too, and puts no line feed after it:
// a last row without them was cut off inside, and its last number may have lost digits.
constexpr int row_fields = 8;
bool whole_last_row(const QStringList &fields, bool line_ended)
{
    return line_ended || (fields.size() > row_fields && fields.last().isEmpty());
}

bool blank(const QStringList &fields)
{
    return std::all_of(fields.begin(), fields.end(), [](const QString &f) { return f.trimmed().isEmpty(); });
}

// A number that fits a float. One too small for a float reads as 0 (the writer's six digits of a double can
// hold 1e-84), rather than losing its point; one too large is no value.
std::optional<float> finite_float(const QString &text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return float(v);
}

// A whole number within lo..hi, else 0.
int whole_in(const QString &text, int lo, int hi)
{
    bool ok = false;
    const qint64 v = text.toLongLong(&ok, 10);
    return (ok && v >= lo && v <= hi) ? int(v) : 0;
}

// A whole number held within lo..hi, as the slider it goes to holds it; a text that is no number gives 0.
int held_in(const QString &text, int lo, int hi)
{
    bool ok = false;
    const qint64 v = text.toLongLong(&ok, 10);
    return int(std::clamp<qint64>(ok ? v : 0, lo, hi));
}

void take_header(analysis_file &f, int line, const QStringList &fields)
{
    const QString value = fields.value(2);
    switch (line) {
    case 1: f.version = fields.value(3); break;
    case 2: f.exported = value; break;
    case 3: f.experiment = value; break;
    case 4: f.user = value; break;
    case 5: {
        // The rate is kept in 16 bits; anything outside would wrap into a wrong scan rate.
        const std::optional<float> rate = finite_float(value);
        const double cut = rate ? std::trunc(double(*rate)) : 0.0;
        f.rate_mV_s = (cut >= 0 && cut <= 65535) ? uint16_t(cut) : 0;
        break;
    }
    case 6: f.method = value; break;
    case 7: f.rr = held_in(value, 9000, 9999); break;
    case 8: f.sample = held_in(value, 10, 1000); break;
    case 9: f.epa_text = value; f.Epa = finite_float(value).value_or(0); break;
    case 10: f.ipa_text = value; f.Ipa = finite_float(value).value_or(0); break;
    case 11: f.epc_text = value; f.Epc = finite_float(value).value_or(0); break;
    case 12: f.ipc_text = value; f.Ipc = finite_float(value).value_or(0); break;
    case 13: f.channel_index = uint8_t(whole_in(value, 0, 1)); break;
    case 14: f.cycle_index = uint8_t(whole_in(value, 0, 255)); break;
    case 15: f.anodic_max = int16_t(whole_in(value, 0, 32767)); break;
    case 16: f.cathodic_max = int16_t(whole_in(value, 0, 32767)); break;
    case 17: f.current_anodic = uint16_t(whole_in(value, 0, 65535)); break;
    case 18: f.current_cathodic = uint16_t(whole_in(value, 0, 65535)); break;
    case 19: f.current_tangent = int16_t(whole_in(value, -30, 30)); break;
    case 20: f.current_cathodic_2 = int16_t(whole_in(value, -30, 30)); break;
    case 21:
        f.selected_channel = whole_in(fields.value(1), 0, 2);
        f.selected_cycle = whole_in(fields.value(3), 0, 256);
        break;
    default: break;
    }
}

// The point of fields e and i, when both are finite numbers.
std::optional<ei_point> point_at(const QStringList &fields, int e, int i)
{
    const std::optional<float> ev = finite_float(fields.value(e));
    const std::optional<float> iv = finite_float(fields.value(i));
    if (!ev || !iv)
        return std::nullopt;
    return ei_point{double(*ev), double(*iv)};
}

void widen(analysis_file &f, const ei_point &p)
{
    const float e = float(p.e_V), i = float(p.i_uA);
    f.e_min = std::min(f.e_min, e);
    f.e_max = std::max(f.e_max, e);
    f.i_min = std::min(f.i_min, i);
    f.i_max = std::max(f.i_max, i);
}

void take_row(analysis_file &f, const QStringList &fields)
{
    if (const auto p = point_at(fields, 1, 2)) {
        f.ch1.append(*p);
        widen(f, *p);
    }
    if (const auto p = point_at(fields, 1, 3)) {
        f.ch2.append(*p);
        widen(f, *p);
    }
    if (const auto p = point_at(fields, 4, 5))
        f.anodic_tangent.append(*p);
    if (const auto p = point_at(fields, 6, 7))
        f.cathodic_tangent.append(*p);
}

constexpr qint64 max_file_bytes = 64 * 1024 * 1024;

} // namespace

QString analysis_export_time_text(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyy-MM-dd  HH:mm:ss"));
}

QByteArray write_analysis_file(const analysis_file &f)
{
    QByteArray out;
    out += "\tQuelvarin\tTevrakov\t" + analysis_file_version().toLatin1() + '\n';
    out += header("Exported", one_field(f.exported));
    out += header("Experiment:", one_field(f.experiment));
    out += header("User:", one_field(f.user));
    out += header("Rate:", QByteArray::number(f.rate_mV_s));
    out += header("Method:", one_field(f.method));
    out += header("RR:", QByteArray::number(f.rr));
    out += header("Sample:", QByteArray::number(f.sample));
    out += header("Epa:", one_field(f.epa_text) + "\tmV");
    out += header("Ipa:", one_field(f.ipa_text) + '\t' + micro_amp);
    out += header("Epc:", one_field(f.epc_text) + "\tmV");
    out += header("Ipc:", one_field(f.ipc_text) + '\t' + micro_amp);
    out += header("Channel:", QByteArray::number(f.channel_index));
    out += header("Cycle:", QByteArray::number(f.cycle_index));
    out += header("Anodic_max:", QByteArray::number(f.anodic_max));
    out += header("Cathodic_max:", QByteArray::number(f.cathodic_max));
    out += header("Current_anodic:", QByteArray::number(f.current_anodic));
    out += header("Current_cathodic:", QByteArray::number(f.current_cathodic));
    out += header("Current_tangent:", QByteArray::number(f.current_tangent));
    out += header("Current_cathodic_2:", QByteArray::number(f.current_cathodic_2));
    out += "Channel:\t" + QByteArray::number(f.selected_channel) + "\tCycle:\t" +
           QByteArray::number(f.selected_cycle) + '\n';
    out += "RAW DATA\n";

    // The potential column comes from the longer data curve; channel 2 when both are as long.
    const QVector<ei_point> &longer = f.ch1.size() > f.ch2.size() ? f.ch1 : f.ch2;
    const int rows = int(longer.size());
    for (int i = 0; i < rows; ++i) {
        if (i > 0)
            out += '\n';
        out += QByteArray::number(i) + '\t' + g6(longer[i].e_V) + '\t';
        out += (i < f.ch1.size() ? g6(f.ch1[i].i_uA) : QByteArray("nan")) + '\t';
        out += (i < f.ch2.size() ? g6(f.ch2[i].i_uA) : QByteArray("nan")) + '\t';
        append_pair(out, f.anodic_tangent, i);
        append_pair(out, f.cathodic_tangent, i);
    }
    return out;
}

save_result save_analysis_file(const QString &path, const analysis_file &file)
{
    return save_text_atomically(path, write_analysis_file(file));
}

analysis_read read_analysis_file(const QByteArray &bytes)
{
    analysis_read result;
    analysis_file &f = result.file;
    f.epa_text = f.ipa_text = f.epc_text = f.ipc_text = QString();
    f.selected_channel = f.selected_cycle = 0;
    line_source lines(bytes);
    QStringList fields;
    int line = 0;
    while (line < 22 && lines.next(fields)) {
        ++line;
        if (line == 22 && fields.value(0) != QLatin1String("RAW DATA")) {
            result.status = analysis_read_status::not_analysis;
            return result;
        }
        take_header(f, line, fields);
    }
    if (line < 22) {
        result.status = analysis_read_status::cut_short;
        return result;
    }
    int rows = 0;
    while (lines.next(fields)) {
        // Blank lines hold no point and take no room from the rows that follow them.
        if (blank(fields))
            continue;
        if (rows == max_analysis_rows) {
            f.points_capped = true;
            break;
        }
        if (!whole_last_row(fields, lines.line_ended())) {
            f.cut_short = true;
            break;
        }
        ++rows;
        take_row(f, fields);
    }
    result.status = f.ch1.isEmpty() ? analysis_read_status::no_data : analysis_read_status::ok;
    return result;
}

analysis_read load_analysis_file(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        analysis_read result;
        result.status = analysis_read_status::unreadable;
        return result;
    }
    analysis_read result = read_analysis_file(file.read(max_file_bytes));
    if (file.size() > max_file_bytes)
        result.file.points_capped = true;
    return result;
}

QString analysis_read_problem(analysis_read_status status)
{
    const auto tr = [](const char *text) { return QCoreApplication::translate("qv_analysis_window", text); };
    switch (status) {
    case analysis_read_status::ok: break;
    case analysis_read_status::unreadable: return tr("The file could not be opened.");
    case analysis_read_status::cut_short: return tr("The file ends before its data table.");
    case analysis_read_status::not_analysis: return tr("The file is not an analysis file: line 22 is not \"RAW DATA\".");
    case analysis_read_status::no_data: return tr("The file holds no data points.");
    }
    return QString();
}

QStringList opened_analysis_details(const QString &base_name, const analysis_file &f)
{
    const auto g = [](float v) { return QString::number(double(v), 'g', 6); };
    const QString micro = QString(QChar(0x00B5)) + QLatin1Char('A');
    return {base_name,
            QStringLiteral("Rate(mV/sec): ") + QString::number(f.rate_mV_s),
            QStringLiteral("Epa(mV):") + g(f.Epa),
            QStringLiteral("Ipa(") + micro + QStringLiteral("):") + g(f.Ipa),
            QStringLiteral("Epc(mV):") + g(f.Epc),
            QStringLiteral("Ipc(") + micro + QStringLiteral("):") + g(f.Ipc),
            QString(),
            QStringLiteral("Date:") + f.exported,
            QStringLiteral("User:") + f.user};
}
