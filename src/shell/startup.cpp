// Start-up decisions: the single-instance lock and the document named on the command line.
#include "shell/startup.h"

#include <QDir>
#include <QStandardPaths>

namespace startup {

QString lock_folder()
{
#ifdef Q_OS_WIN
    // The temporary folder lies in the user's own profile there.
    return QDir::tempPath();
#else
    // The machine-wide temporary folder is shared by everyone logged in: a lock there would keep a second
    // person from starting the program at all. The runtime folder is the user's alone.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
#endif
}

QString lock_file_path() { return QDir(lock_folder()).absoluteFilePath(QStringLiteral("tevra.lock")); }

lock_result acquire_instance_lock(QLockFile &lock, int wait_ms)
{
    if (lock.tryLock(wait_ms))
        return lock_result::acquired;
    // Only a lock that exists and is alive means another copy runs; anything else is a set-up problem
    // the user must hear about in its own words.
    return lock.error() == QLockFile::LockFailedError ? lock_result::held_by_other : lock_result::failed;
}

startup_documents classify_arguments(const QStringList &arguments, const QString &base_dir)
{
    startup_documents documents;
    if (arguments.isEmpty())
        return documents;
    const QString &argument = arguments.first();
    const QString ending = argument.right(4);
    if (ending != QLatin1String(".qve") && ending != QLatin1String(".qva"))
        return documents;
    // Resolved now: the working directory changes to the program's folder right after this.
    const QString path = QDir::cleanPath(QDir(base_dir).absoluteFilePath(argument));
    if (ending == QLatin1String(".qve"))
        documents.experiment_path = path;
    else
        documents.analysis_path = path;
    return documents;
}

} // namespace startup
