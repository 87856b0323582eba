// Opening a folder in the desktop's file browser, told afterwards whether the desktop managed it.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QObject;

namespace platform {

// Starts the desktop's opener on `folder` and returns at once, so no window waits while a file browser comes
// up. `done` hears once, later, whether the folder was opened: false when the opener cannot be started, exits
// with a failure status or crashes. Nothing is heard once `context` (when given) is gone.
void open_folder(const QString &folder, QObject *context, std::function<void(bool opened)> done);

// Test hook: the program and leading arguments run in place of the desktop's opener, the folder appended last.
// An empty list gives the desktop's own opener back.
void set_folder_opener_command(const QStringList &command);

}  // namespace platform
