// Telling the user something that needs no answer, and opening a file's folder in the desktop's file browser, the
// same way on every screen.
#pragma once

class QString;
class QWidget;

// An information box over `parent` that does not hold up the caller and goes when it is closed.
void tell_user(QWidget *parent, const QString &title, const QString &text);

// Opens `folder` in the desktop's file browser and returns without waiting for it. Whenever the folder is not
// opened (none is known, or the desktop cannot open it) the user is told so over `parent`: at once for an
// unknown folder, otherwise when the desktop's opener has given up.
void open_folder_location(QWidget *parent, const QString &folder);
