// The desktop's opener run as a process of its own: the desktop call only says whether the opener started,
// while the opener itself (xdg-open on Linux) may still find no way to show a folder and exit with a failure.
#include "platform/folder_opener.h"

#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#if defined(Q_OS_WIN)
#include <QDesktopServices>
#include <QTimer>
#include <QUrl>
#endif

#include "platform/trace.h"

namespace platform {
namespace {

QStringList &opener_command_for_tests()
{
    static QStringList command;
    return command;
}

QStringList desktop_opener_command()
{
#if defined(Q_OS_MACOS)
    return {QStringLiteral("open")};
#else
    return {QStringLiteral("xdg-open")};
#endif
}

}  // namespace

void set_folder_opener_command(const QStringList &command) { opener_command_for_tests() = command; }

void open_folder(const QString &folder, QObject *context, std::function<void(bool opened)> done)
{
    // With no context there is nothing whose end stops the report.
    const bool bound = context != nullptr;
    const QPointer<QObject> waiting(context);
#if defined(Q_OS_WIN)
    if (opener_command_for_tests().isEmpty()) {
        // The shell knows at once whether it has a handler; the explorer it starts exits with 1 either way.
        const bool opened = QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
        QTimer::singleShot(0, context, [done, opened] { done(opened); });
        return;
    }
#endif
    QStringList arguments = opener_command_for_tests().isEmpty() ? desktop_opener_command() : opener_command_for_tests();
    const QString program = arguments.takeFirst();
    // Absolute, so that a folder whose name starts with '-' is never read as an option.
    arguments << QFileInfo(folder).absoluteFilePath();
    auto *opener = new QProcess;
    // The opener's complaints still reach the terminal, and a browser it leaves running holds no pipe of ours.
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    opener->setStandardInputFile(QProcess::nullDevice());
    auto report = [opener, bound, waiting, done](bool opened) {
        qCDebug(rz410_trace) << "folder opener" << opener->program() << "opened:" << opened;
        opener->deleteLater();
        if (!bound || waiting)
            done(opened);
    };
    // A crash is followed by finished(); only a failed start ends without it.
    QObject::connect(opener, &QProcess::errorOccurred, [report](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            report(false);
    });
    QObject::connect(opener, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished),
                     [report](int code, QProcess::ExitStatus status) { report(status == QProcess::NormalExit && code == 0); });
    opener->start(program, arguments);
}

}  // namespace platform
