// Notices that need no answer, and the desktop's file browser.
#include "dialogs/user_notice.h"

#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QUrl>

#include "platform/trace.h"

void tell_user(QWidget *parent, const QString &title, const QString &text)
{
    qCDebug(rz410_trace).noquote() << title << text;
    auto *box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

bool open_folder_location(QWidget *parent, const QString &folder)
{
    qCDebug(rz410_trace) << "open folder" << folder;
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        return true;
    // Without a browser to hand (or without a folder) nothing would appear at all.
    const QString text =
        folder.isEmpty() ? QStringLiteral("The folder of this file is not known.")
                         : QStringLiteral("The folder \"%1\" could not be opened.").arg(QDir::toNativeSeparators(folder));
    tell_user(parent, QStringLiteral("Open File Location"), text);
    return false;
}
