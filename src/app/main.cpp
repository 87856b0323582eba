// Program entry point: one running copy, an optional document on the command line, then the log-in page.
#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QMessageBox>
#include <QStringList>

#include "platform/box_titles.h"
#include "platform/memory_release.h"
#include "run/log_page.h"
#include "shell/app_state.h"
#include "shell/program_fonts.h"
#include "shell/startup.h"

namespace {

int refuse_start(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QString(), text, QMessageBox::Ok);
    box.exec();
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    platform::share_one_heap_between_threads();
    QApplication app(argc, argv);
    program_fonts::install();
    platform::fit_message_box_titles();

    QLockFile lock_file(startup::lock_file_path());
    switch (startup::acquire_instance_lock(lock_file)) {
    case startup::lock_result::acquired:
        break;
    case startup::lock_result::held_by_other:
        return refuse_start(QStringLiteral(
            "The application is already running.\nAllowed to run only one instance of the application."));
    case startup::lock_result::failed:
        return refuse_start(QStringLiteral("The application could not create its lock file:\n%1\n"
                                           "Please check that its folder is writable.")
                                .arg(startup::lock_file_path()));
    }

    if (argc > 1) {
        // The argument is resolved against the launcher's folder before the program's own folder
        // becomes the working directory; a relative path would otherwise point elsewhere.
        const auto documents = startup::classify_arguments({QString::fromUtf8(argv[1])}, QDir::currentPath());
        QDir::setCurrent(QCoreApplication::applicationDirPath());
        app_state::startup_experiment_path = documents.experiment_path;
        app_state::startup_analysis_path = documents.analysis_path;
    }

    log_page page(nullptr);
    page.show();
    return app.exec();
}
