// The user folders under "Data/User" and their four subfolders.
#pragma once

#include "platform/folder_move.h"

#include <QString>
#include <QStringList>

namespace user_folders {

// Relative to the working directory.
QString users_root();    // "Data/User"
QString archive_root();  // "Data/Archive"

// The subfolders every user folder holds.
QStringList subfolder_names();  // "Analysis", "Experiments", "Plots", "Protocols"

// Every folder in `root` (without "." and ".."), sorted by name ignoring case, except one named "Log Out"
// and those named by blanks alone. Empty when the folder does not exist. The run screen lists its users the
// same way.
QStringList list_users(const QString &root = users_root());

// Makes the folder of `name` in `root` (one level: never `root` itself) and whichever of its subfolders it
// lacks; what the folder holds is kept. Returns whether the folder and all its subfolders exist afterwards.
// No folder is made for a name that is no user (empty, blanks alone, "Log Out"). Failures are traced.
bool complete_user_folder(const QString &name, const QString &root = users_root());

// `complete_user_folder` for every name.
void complete_user_folders(const QStringList &names, const QString &root = users_root());

// Moves the folder `name` from `root` into `archive`, creating `archive` first when a fresh
// installation has none. An existing folder of that name in `archive` is refused, never merged.
folder_move::result archive_user(const QString &name, const QString &root = users_root(),
                                 const QString &archive = archive_root());

// Position of `name` (exact comparison) in `listing`, or -1.
int index_of_user(const QStringList &listing, const QString &name);

} // namespace user_folders
