// Start-up decisions: the single-instance lock and the document named on the command line.
#pragma once

#include <QLockFile>
#include <QString>
#include <QStringList>

namespace startup {

// How long a starting copy waits for the lock before it gives up.
constexpr int lock_wait_ms = 100;

// The folder of the single-instance lock: one of the user's own, so that each person logged in on the
// machine runs a copy of their own (the runtime folder, XDG_RUNTIME_DIR; the temporary folder on Windows,
// which is per user there, and as a last resort where no runtime folder can be had).
QString lock_folder();

// "tevra.lock" in `lock_folder()`, as an absolute path.
QString lock_file_path();

enum class lock_result {
    acquired,
    held_by_other,  // another running copy holds it
    failed,         // the lock file could not be made (e.g. an unwritable temporary folder)
};

lock_result acquire_instance_lock(QLockFile &lock, int wait_ms = lock_wait_ms);

struct startup_documents {
    QString experiment_path;
    QString analysis_path;
};

// Classifies the command-line arguments (program name excluded). Only the first one counts, by its last
// four characters compared case-sensitively with ".qve" and ".qva". A relative path is resolved against
// `base_dir`, which must be the working directory from before the program changes it.
startup_documents classify_arguments(const QStringList &arguments, const QString &base_dir);

} // namespace startup
