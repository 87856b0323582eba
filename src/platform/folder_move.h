// Moving a folder to a new place, also across file systems, without ever losing its contents.
#pragma once

#include <QString>

namespace folder_move {

struct result {
    bool ok = false;
    QString error;  // what went wrong, for traces and messages; empty on success
};

// Moves `source` (a folder) to `target`. Refuses when `target` exists or its parent folder is missing.
// Tries a rename first; when the two lie on different file systems it copies the whole tree and removes
// the source only after the copy is complete. A failed copy removes its partial target and keeps the source.
result move_folder(const QString &source, const QString &target);

// The copy-then-remove road on its own (used when a rename cannot cross file systems).
result move_folder_by_copy(const QString &source, const QString &target);

} // namespace folder_move
