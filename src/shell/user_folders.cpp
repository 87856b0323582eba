// The user folders under "Data/User".
#include "shell/user_folders.h"
#include "platform/trace.h"

#include <QDebug>
#include <QDir>

namespace user_folders {

QString users_root() { return QStringLiteral("Data/User"); }
QString archive_root() { return QStringLiteral("Data/Archive"); }

QStringList subfolder_names()
{
    return {QStringLiteral("Analysis"), QStringLiteral("Experiments"), QStringLiteral("Plots"),
            QStringLiteral("Protocols")};
}

QStringList list_users(const QString &root)
{
    const QDir dir(root);
    if (!dir.exists())
        return {};
    // Folders only: a file there (an ".xls" export is proposed right under "Data/User") is nobody's data.
    QStringList users = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    // A folder of that name would be indistinguishable from the run screen's log-out entry.
    users.removeAll(QStringLiteral("Log Out"));
    return users;
}

void create_missing_folders(const QStringList &names, const QString &root)
{
    const QDir base(root);
    for (const QString &name : names) {
        qCDebug(rz410_trace) << "dosya olustur" << name;
        if (QDir(base.filePath(name)).exists())
            continue;
        if (!base.mkdir(name)) {
            qWarning() << "cannot create user folder" << base.filePath(name);
            continue;
        }
        const QDir user(base.filePath(name));
        for (const QString &sub : subfolder_names()) {
            if (!user.mkdir(sub))
                qWarning() << "cannot create" << user.filePath(sub);
        }
    }
}

folder_move::result archive_user(const QString &name, const QString &root, const QString &archive)
{
    if (!QDir().mkpath(archive)) {
        folder_move::result failed;
        failed.error = QStringLiteral("cannot create the folder \"%1\"").arg(archive);
        return failed;
    }
    return folder_move::move_folder(QDir(root).filePath(name), QDir(archive).filePath(name));
}

int index_of_user(const QStringList &listing, const QString &name) { return listing.indexOf(name); }

} // namespace user_folders
