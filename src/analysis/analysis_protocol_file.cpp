// Analysis protocol files: two decimal lines, the second without a line end.
#include "analysis/analysis_protocol_file.h"

#include "files/text_lines.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

// One line's number; blanks (a CR included) around it are allowed. No value for any other text.
std::optional<qint64> line_number(const QString &line)
{
    bool ok = false;
    const qint64 v = line.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

int held(qint64 v, int lo, int hi) { return int(std::clamp<qint64>(v, lo, hi)); }

} // namespace

QByteArray write_analysis_protocol(const analysis_protocol &protocol)
{
    return QByteArray::number(protocol.rr) + '\n' + QByteArray::number(protocol.sample);
}

save_result save_analysis_protocol_file(const QString &path, const analysis_protocol &protocol)
{
    return save_text_atomically(path, write_analysis_protocol(protocol));
}

std::optional<analysis_protocol> read_analysis_protocol(const QByteArray &bytes)
{
    int pos = 0;
    const QString first = pos < bytes.size() ? take_line(bytes, pos) : QString();
    const QString second = pos < bytes.size() ? take_line(bytes, pos) : QString();
    const std::optional<qint64> rr = line_number(first);
    if (!rr)
        return std::nullopt;
    // A missing second value drives the window length to its minimum, as an empty line always has.
    const bool second_blank = second.trimmed().isEmpty();
    const std::optional<qint64> sample = second_blank ? std::optional<qint64>(0) : line_number(second);
    if (!sample)
        return std::nullopt;
    analysis_protocol out;
    out.rr = held(*rr, analysis_protocol::rr_min, analysis_protocol::rr_max);
    out.sample = held(*sample, analysis_protocol::sample_min, analysis_protocol::sample_max);
    return out;
}

analysis_protocol_load load_analysis_protocol_file(const QString &path)
{
    analysis_protocol_load result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Could not open %1: %2").arg(QFileInfo(path).fileName(), file.errorString());
        return result;
    }
    // Two short numbers: anything beyond the first 64 KiB cannot belong to them.
    result.protocol = read_analysis_protocol(file.read(64 * 1024));
    if (!result.protocol)
        result.error = QStringLiteral("%1 holds no analysis protocol.").arg(QFileInfo(path).fileName());
    return result;
}
