// The program's window icon, shared by the shell's windows.
#pragma once

#include <QIcon>

// Read by relative path: the working directory is the program's folder.
inline QIcon program_window_icon() { return QIcon(QStringLiteral("Libraries/icons/QV_icons/qv256.ico")); }
