// Moving a folder, also across file systems.
#include "platform/folder_move.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include "platform/trace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace folder_move {

namespace {

result failure(const QString &text)
{
    // The caller tells the user; the terminal is no place for a second copy.
    qCDebug(rz410_trace).noquote() << "folder move:" << text;
    return {false, text};
}

QString check_ends(const QString &source, const QString &target)
{
    const QFileInfo from(source);
    if (!from.exists() || !from.isDir() || from.isSymLink())
        return QStringLiteral("\"%1\" is not a folder").arg(source);
    // exists() follows links; a dangling link still occupies the name.
    const QFileInfo to(target);
    if (to.exists() || to.isSymLink())
        return QStringLiteral("\"%1\" already exists").arg(target);
    if (!to.absoluteDir().exists())
        return QStringLiteral("the folder \"%1\" does not exist").arg(to.absolutePath());
    return QString();
}

// Copies the tree below `from` into the existing folder `to`; false at the first failure.
bool copy_tree(const QString &from, const QString &to, QString &error)
{
    const QDir source(from);
    const QFileInfoList entries =
        source.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        const QString destination = QDir(to).filePath(entry.fileName());
        if (entry.isSymLink()) {
            if (!QFile::link(entry.symLinkTarget(), destination)) {
                error = QStringLiteral("cannot copy the link \"%1\"").arg(entry.filePath());
                return false;
            }
        } else if (entry.isDir()) {
            if (!QDir().mkdir(destination)) {
                error = QStringLiteral("cannot create \"%1\"").arg(destination);
                return false;
            }
            if (!copy_tree(entry.filePath(), destination, error))
                return false;
        } else {
            QFile file(entry.filePath());
            if (!file.copy(destination)) {
                error = QStringLiteral("cannot copy \"%1\": %2").arg(entry.filePath(), file.errorString());
                return false;
            }
        }
    }
    return true;
}

} // namespace

result move_folder_by_copy(const QString &source, const QString &target)
{
    const QString problem = check_ends(source, target);
    if (!problem.isEmpty())
        return failure(problem);
    if (!QDir().mkdir(target))
        return failure(QStringLiteral("cannot create \"%1\"").arg(target));
    QString error;
    if (!copy_tree(source, target, error)) {
        // Only our own half-made copy goes; the source is untouched.
        QDir(target).removeRecursively();
        return failure(error + QStringLiteral("; nothing was moved"));
    }
    if (!QDir(source).removeRecursively())
        return failure(QStringLiteral("copied to \"%1\" but \"%2\" could not be removed completely")
                           .arg(target, source));
    return {true, QString()};
}

result move_folder(const QString &source, const QString &target)
{
    const QString problem = check_ends(source, target);
    if (!problem.isEmpty())
        return failure(problem);
    // std::rename, unlike QDir::rename, tells us why it failed, and only EXDEV calls for a copy.
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) == 0)
        return {true, QString()};
    const int code = errno;
    if (code == EXDEV)
        return move_folder_by_copy(source, target);
    return failure(QStringLiteral("cannot move \"%1\" to \"%2\": %3 (error %4)")
                       .arg(source, target, QString::fromLocal8Bit(std::strerror(code)))
                       .arg(code));
}

} // namespace folder_move
