// Reading and writing the settings file by line number.
#include "shell/settings_file.h"
#include "platform/trace.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace settings_file {

QString default_path() { return QStringLiteral("Libraries/Config.txt"); }

QStringList parse_lines(const QByteArray &text)
{
    QStringList lines;
    int start = 0;
    while (start < text.size()) {
        int end = text.indexOf('\n', start);
        const bool terminated = end >= 0;
        if (!terminated)
            end = text.size();
        int value_end = end;
        // Files written through a text-mode device on Windows carry "\r\r\n".
        while (value_end > start && text.at(value_end - 1) == '\r')
            --value_end;
        lines << QString::fromUtf8(text.constData() + start, value_end - start);
        start = end + 1;
    }
    return lines;
}

QByteArray compose(const QStringList &lines)
{
    QByteArray text;
    for (const QString &value : lines) {
        text += value.toUtf8();
        text += "\r\n";
    }
    return text;
}

std::optional<QString> text_at(const QStringList &lines, int n)
{
    if (n < 0 || n >= lines.size())
        return std::nullopt;
    return lines.at(n);
}

std::optional<int> int_at(const QStringList &lines, int n)
{
    const auto text = text_at(lines, n);
    if (!text)
        return std::nullopt;
    return text->toInt(nullptr, 10);
}

std::optional<int> index_at(const QStringList &lines, int n, int item_count)
{
    const auto value = int_at(lines, n);
    if (!value || *value < 0 || *value >= item_count)
        return std::nullopt;
    return value;
}

QStringList with_user_lines(QStringList lines, const QString &name, const QString &flag)
{
    if (lines.size() > user_name)
        lines[user_name] = name;
    if (lines.size() > remembered_flag)
        lines[remembered_flag] = flag;
    return lines;
}

std::optional<QStringList> read_lines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse_lines(file.readAll());
}

bool write_lines(const QStringList &lines, const QString &path)
{
    const QFileInfo info(path);
    // The owner's write bit is checked as well: a file the user marked read-only stays untouched even
    // for an account whose rights would let the rename through.
    if (info.exists() && (!info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner))) {
        qWarning() << "settings file is read-only, not written:" << path;
        return false;
    }
    QSaveFile file(path);
    // A folder that takes no new file leaves no room for the temporary copy; a writable file is then
    // rewritten in place, still whole.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning() << "settings file cannot be written:" << path << file.errorString();
        return false;
    }
    const QByteArray text = compose(lines);
    if (file.write(text) != text.size()) {
        qWarning() << "settings file write failed:" << path << file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        qWarning() << "settings file could not be replaced:" << path << file.errorString();
        return false;
    }
    return true;
}

bool write_user_lines(const QString &name, const QString &flag, const QString &path)
{
    const auto lines = read_lines(path);
    if (!lines)
        return false;
    // An empty file stays empty: these lines are only ever rewritten, never added.
    if (lines->isEmpty())
        return true;
    return write_lines(with_user_lines(*lines, name, flag), path);
}

remembered_user remembered_from_lines(const QStringList &lines)
{
    remembered_user user;
    if (lines.isEmpty())
        return user;
    const QString name = lines.at(user_name);
    const int flag = int_at(lines, remembered_flag).value_or(0);
    if (flag == -1) {
        qCDebug(rz410_trace) << "saved false 1";
        return user;
    }
    // A name of blanks is no user's: its folder would be logged in while looking nameless everywhere.
    if (name.trimmed().isEmpty()) {
        qCDebug(rz410_trace) << "saved false 2";
        return user;
    }
    qCDebug(rz410_trace) << "saved true " << name;
    user.saved = true;
    user.name = name;
    return user;
}

} // namespace settings_file
