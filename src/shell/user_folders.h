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

// Every folder in `root` (without "." and ".."), sorted by name ignoring case, except one named "Log Out".
// Empty when the folder does not exist. The run screen lists its users the same way.
QStringList list_users(const QString &root = users_root());

// Creates the folder of every name that has none, with its subfolders. An existing folder is left
// as it is. Failures are only traced.
void create_missing_folders(const QStringList &names, const QString &root = users_root());

// Moves the folder `name` from `root` into `archive`, creating `archive` first when a fresh
// installation has none. An existing folder of that name in `archive` is refused, never merged.
folder_move::result archive_user(const QString &name, const QString &root = users_root(),
                                 const QString &archive = archive_root());

// Position of `name` (exact comparison) in `listing`, or -1.
int index_of_user(const QStringList &listing, const QString &name);

} // namespace user_folders
