// Notices that need no answer, and the desktop's file browser.
#include "dialogs/user_notice.h"

#include <QDir>
#include <QMessageBox>

#include "platform/folder_opener.h"
#include "platform/trace.h"

void tell_user(QWidget *parent, const QString &title, const QString &text)
{
    qCDebug(rz410_trace).noquote() << title << text;
    auto *box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void open_folder_location(QWidget *parent, const QString &folder)
{
    qCDebug(rz410_trace) << "open folder" << folder;
    const QString title = QStringLiteral("Open File Location");
    // Without a folder, or without a desktop able to show it, nothing would appear at all.
    if (folder.isEmpty()) {
        tell_user(parent, title, QStringLiteral("The folder of this file is not known."));
        return;
    }
    const QString text =
        QStringLiteral("The folder \"%1\" could not be opened.").arg(QDir::toNativeSeparators(folder));
    // Told over the screen that asked; a screen gone meanwhile has no one left to tell.
    platform::open_folder(folder, parent, [parent, title, text](bool opened) {
        if (!opened)
            tell_user(parent, title, text);
    });
}
