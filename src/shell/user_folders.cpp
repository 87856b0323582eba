// The user folders under "Data/User".
#include "shell/user_folders.h"
#include "platform/trace.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

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
    // A name of blanks reads as no name in every user box, and nobody can choose it knowingly.
    users.erase(std::remove_if(users.begin(), users.end(), [](const QString &n) { return n.trimmed().isEmpty(); }),
                users.end());
    return users;
}

bool complete_user_folder(const QString &name, const QString &root)
{
    if (name.trimmed().isEmpty() || name == QLatin1String("Log Out"))
        return false;
    const QDir base(root);
    // A user folder made by hand or copied in may lack any of the subfolders; the dialogs start in them, and
    // one given a folder that does not exist opens wherever the last dialog was, another user's folder maybe.
    if (!QFileInfo(base.filePath(name)).isDir() && !base.mkdir(name)) {
        qWarning() << "cannot create user folder" << base.filePath(name);
        return false;
    }
    const QDir user(base.filePath(name));
    bool complete = true;
    for (const QString &sub : subfolder_names()) {
        if (!QFileInfo(user.filePath(sub)).isDir() && !user.mkdir(sub)) {
            qWarning() << "cannot create" << user.filePath(sub);
            complete = false;
        }
    }
    return complete;
}

void complete_user_folders(const QStringList &names, const QString &root)
{
    for (const QString &name : names) {
        qCDebug(rz410_trace) << "dosya olustur" << name;
        complete_user_folder(name, root);
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
