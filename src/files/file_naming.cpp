// Naming rules of the experiment and protocol commands, kept apart from the dialogs that use them.
#include "files/file_naming.h"

#include <QDir>
#include <QFileInfo>

QString file_base_name(const QString &path) { return QFileInfo(path).baseName(); }

QString remembered_folder(const QString &path) { return QFileInfo(path).path(); }

QString with_extension(const QString &path, const QString &extension)
{
    if (path.isEmpty() || path.endsWith(extension, Qt::CaseInsensitive))
        return path;
    return path + extension;
}

bool is_droppable_experiment(const QString &path)
{
    return path.size() >= 4 && path.endsWith(QLatin1String(".qve"), Qt::CaseSensitive);
}

QString unique_list_name(const QString &base, const QStringList &row_names)
{
    QString candidate = base;
    for (int n = 1; row_names.contains(candidate, Qt::CaseSensitive); ++n)
        candidate = base + QLatin1Char('_') + QString::number(n);
    return candidate;
}

std::optional<int> last_row_named(const QStringList &row_names, const QString &name)
{
    const int row = row_names.lastIndexOf(name);
    if (row < 0)
        return std::nullopt;
    return row;
}

QString user_experiment_path(const QString &user, const QString &name)
{
    return QStringLiteral("Data/User/") + user + QStringLiteral("/Experiments/") + name + QStringLiteral(".qve");
}

QString user_protocol_path(const QString &user, const QString &protocol_name)
{
    return QStringLiteral("Data/User/") + user + QStringLiteral("/Protocols/") + protocol_name +
           QStringLiteral(".qvp");
}

QString export_proposal(const QString &name) { return QStringLiteral("Data/User/") + name + QStringLiteral(".xls"); }

QString save_proposal(const QString &folder, const QString &name)
{
    return folder + QLatin1Char('/') + name + QStringLiteral(".qve");
}

QString protocol_name_from_path(const QString &path) { return file_base_name(path).left(64); }

save_name_choice proposed_save_name(int save_mode, const QString &name_box_text, const QString &selected_name,
                                    const QString &current_row_name)
{
    if (save_mode == 10)
        return {name_box_text, 10};
    if (save_mode == 1)
        return {selected_name, 0, true};
    return {current_row_name, save_mode};
}

QString autosave_path(const QDateTime &when, const QString &temp_folder)
{
    return temp_folder + QLatin1Char('/') + when.toString(QStringLiteral("yyyyMMdd_HHmmss")) +
           QStringLiteral(".qve");
}

std::optional<QString> prepare_autosave_path(const QDateTime &when, const QString &temp_folder)
{
    if (!QDir().mkpath(temp_folder))
        return std::nullopt;
    // Names have one-second resolution: a second run ending within the same second gets "_2", "_3"...
    // instead of overwriting the first run's copy.
    const QString first = autosave_path(when, temp_folder);
    if (!QFileInfo::exists(first))
        return first;
    const QString stem = first.left(first.size() - 4);  // without ".qve"
    for (int n = 2;; ++n) {
        const QString candidate = stem + QLatin1Char('_') + QString::number(n) + QStringLiteral(".qve");
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

QString choose_save_target(const QString &proposal, const QString &extension,
                           const std::function<QString(const QString &start)> &ask_path,
                           const std::function<bool(const QString &path)> &confirm_replace)
{
    // The dialog asked about the name as typed; with the extension added afterwards it may name another,
    // existing file, which is replaced only when the user says so. A No is not a cancel: the user picks again.
    QString start = proposal;
    for (;;) {
        const QString chosen = ask_path(start);
        if (chosen.isEmpty())
            return QString();
        const QString path = with_extension(chosen, extension);
        if (path == chosen || !QFileInfo::exists(path) || confirm_replace(path))
            return path;
        start = chosen;
    }
}
