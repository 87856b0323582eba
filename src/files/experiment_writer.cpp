// Writers of the experiment file: a 14-line header, then "DATA" with the shown curves and "RAW DATA" with
// the unfiltered ones, tab-separated.
#include "files/experiment_writer.h"

#include <QFileInfo>
#include <QSaveFile>
#include <cmath>

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

// Row i holds point i of both electrodes. While electrode 1 has a point the row ends with a tab; after
// that the row takes its potential from electrode 2 and marks the missing current "nan".
void append_rows(QString &out, const point_series &a, const point_series &b)
{
    const int c1 = a.size();
    const int c2 = b.size();
    const int n = std::max(c1, c2);
    const QString tab(QLatin1Char('\t'));
    for (int i = 0; i < n; ++i) {
        out += QString::number(i);
        out += tab;
        if (i < c1) {
            out += g6(a.keys[i]) + tab + g6(a.values[i]) + tab;
            out += (i < c2 ? g6(b.values[i]) : QStringLiteral("nan")) + tab;
        } else {
            out += g6(b.keys[i]) + tab + QStringLiteral("nan") + tab + g6(b.values[i]);
        }
        out += QLatin1Char('\n');
    }
}

} // namespace

std::optional<QByteArray> write_experiment(const experiment_data &record, const export_stamp &stamp)
{
    const std::optional<method_index> m = method_from_name(record.method);
    if (!m)
        return std::nullopt;

    QString out;
    out += QStringLiteral("\tQuelvarin\tTevrakov\tv") + g6(2.4) + QLatin1Char('\n');
    out += QStringLiteral("\tExported\t") + stamp.when.toString(QStringLiteral("yyyy-MM-dd  HH:mm:ss")) +
           QLatin1Char('\n');
    out += QStringLiteral("\tExperiment:\t") + one_field(record.name) + QLatin1Char('\n');
    out += QStringLiteral("\tUser:\t") + one_field(stamp.user) + QLatin1Char('\n');
    out += QStringLiteral("\t\n");
    out += QStringLiteral("\tMethod:\t") + record.method + QLatin1Char('\n');
    for (const QString &line : parameter_lines(*m, record))
        out += line + QLatin1Char('\n');
    out += QStringLiteral("DATA\n");
    out += QStringLiteral("Data #\tBias E(V)\ti1(\u00b5A)\ti2(\u00b5A)\n");
    append_rows(out, record.ch1, record.ch2);
    out += QStringLiteral("RAW DATA\n");
    // Raw rows are counted on the raw curves themselves: a chronoamperometry run's shown curves are
    // shorter than its raw ones, and the last raw points must not be dropped.
    append_rows(out, record.ch1_raw, record.ch2_raw);
    return out.toUtf8();
}

save_result save_text_atomically(const QString &path, const QByteArray &bytes)
{
    save_result result;
    if (path.isEmpty()) {
        result.error = QStringLiteral("No file name given.");
        return result;
    }
    QSaveFile file(path);
    const auto failed = [&]() {
        result.error = QStringLiteral("Could not write %1: %2").arg(QFileInfo(path).fileName(), file.errorString());
        return result;
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return failed();
    }
    if (!file.commit())
        return failed();
    result.ok = true;
    return result;
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
