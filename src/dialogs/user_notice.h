// Telling the user something that needs no answer, and opening a file's folder in the desktop's file browser, the
// same way on every screen.
#pragma once

class QString;
class QWidget;

// An information box over `parent` that does not hold up the caller and goes when it is closed.
void tell_user(QWidget *parent, const QString &title, const QString &text);

// Opens `folder` in the desktop's file browser. When the desktop cannot open it, the user is told so over `parent`
// and the result is false.
bool open_folder_location(QWidget *parent, const QString &folder);
