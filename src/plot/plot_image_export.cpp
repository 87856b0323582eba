// Plot image export: format, proposed path and a replace-only-on-success write.
#include "plot/plot_image_export.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "shell/settings_file.h"

namespace plot_image {

namespace {

QString tr(const char *text) { return QCoreApplication::translate("MainWindow", text); }

// Puts `from` in the place of `to` in one step, replacing an existing file; both lie in the same folder.
bool move_over(const QString &from, const QString &to, QString &error)
{
#ifdef Q_OS_WIN
    const QString native_from = QDir::toNativeSeparators(from);
    const QString native_to = QDir::toNativeSeparators(to);
    if (MoveFileExW(reinterpret_cast<const wchar_t *>(native_from.utf16()),
                    reinterpret_cast<const wchar_t *>(native_to.utf16()),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = qt_error_string(int(GetLastError()));
    return false;
#else
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    error = qt_error_string(errno);
    return false;
#endif
}

}  // namespace

format format_from_settings(const std::optional<QStringList> &lines)
{
    // The settings box always writes all lines; a file it never saved, or none at all, keeps the form's
    // own default, which is PNG.
    if (!lines)
        return format::png;
    const std::optional<QString> value = settings_file::text_at(*lines, settings_file::image_type);
    if (!value)
        return format::png;
    return *value == QLatin1String("0") ? format::png : format::jpeg;
}

QString default_path(const QString &user, const QString &experiment_name, format f)
{
    return QStringLiteral("Data/User/") + user + QStringLiteral("/Plots/") + experiment_name
           + (f == format::png ? QStringLiteral(".png") : QStringLiteral(".jpg"));
}

QString dialog_filter(format f)
{
    return f == format::png ? tr("QV Curve (*.png);;All Files (*)") : tr("QV Curve (*.jpg);;All Files (*)");
}

QString dialog_caption() { return tr("Save Plot"); }

write_result write_replacing(const QString &target, const std::function<bool(const QString &temp_path)> &writer)
{
    write_result result;
    const QFileInfo info(target);
    const bool existed = info.exists();

    // An existing file the user may not change is refused before anything is written; opened for
    // appending, it keeps its contents.
    if (existed) {
        QFile probe(target);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
            result.title = tr("Unable to open file");
            result.text = probe.errorString();
            return result;
        }
    }

    // The temporary file lies beside the target so that the final move stays within one volume.
    QTemporaryFile temp(info.absoluteDir().filePath(info.fileName() + QStringLiteral(".XXXXXX")));
    if (!temp.open()) {
        result.title = tr("Unable to open file");
        result.text = temp.errorString();
        return result;
    }
    const QString temp_path = temp.fileName();
    temp.close();  // the writer opens the file by name

    if (!writer(temp_path)) {
        qWarning() << "plot image writer failed for" << target;
        result.title = tr("Unable to save plot");
        result.text = existed ? tr("The plot could not be written to %1. The file there is unchanged.").arg(target)
                              : tr("The plot could not be written to %1.").arg(target);
        return result;
    }

    // A temporary file is private to its owner; the image gets the permissions a file saved there would have.
    temp.setPermissions(existed ? QFile::permissions(target)
                                : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                                      | QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther);

    QString error;
    if (!move_over(temp_path, info.absoluteFilePath(), error)) {
        qWarning() << "plot image could not replace" << target << error;
        result.title = tr("Unable to save plot");
        result.text = tr("The plot could not be saved as %1: %2").arg(target, error);
        return result;
    }
    temp.setAutoRemove(false);
    result.ok = true;
    return result;
}

}  // namespace plot_image
