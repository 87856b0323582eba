// The program as a user starts it: a copy of the built program in a folder of its own, started from
// another working folder with a relative document path, started a second time while it runs, and
// started by another person on the same machine.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

namespace {

// Long enough for a sanitizer build to start and lay out its windows.
constexpr int start_patience_ms = 30000;

// The remembered user "Ann" makes the program log in at once and build the run screen, which opens the
// document named on the command line.
QByteArray remembered_user_settings()
{
    QByteArray text = "Ann\r\n1\r\n";
    for (int line = 2; line < 17; ++line)
        text += "0\r\n";
    return text;
}

void write_file(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// Runs the script that scripts/run.sh uses to make a working folder ready; true when it succeeded.
bool prepare_working_folder(const QString &folder)
{
    QProcess script;
    script.start(QStringLiteral("bash"), {QStringLiteral(RZ410_SOURCE "/scripts/prepare_home.sh"),
                                          QStringLiteral(RZ410_PROGRAM), folder});
    const bool ok = script.waitForFinished(120000) && script.exitStatus() == QProcess::NormalExit &&
                    script.exitCode() == 0;
    if (!ok)
        qWarning() << script.readAllStandardError();
    return ok;
}

// A started copy; it is ended when the test lets go of it.
struct stopper {
    void operator()(QProcess *p) const
    {
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(5000);
        }
        delete p;
    }
};
using running = std::unique_ptr<QProcess, stopper>;

class program_copy {
public:
    // How the program comes into its folder: copied by the test, or placed by the script that prepares a
    // user's working folder (the folder then already holds that user's settings, data and an icon of their own).
    enum class placed_by { test, script };

    explicit program_copy(placed_by how = placed_by::test)
    {
        folder = root.filePath(QStringLiteral("RZ410 home"));  // a space, as a user's folder may have
        launcher = root.filePath(QStringLiteral("launcher"));
        temporary = root.filePath(QStringLiteral("tmp"));
        runtime = root.filePath(QStringLiteral("runtime"));
        other_runtime = root.filePath(QStringLiteral("runtime-other"));
        QDir().mkpath(launcher);
        QDir().mkpath(temporary);
        for (const QString &own : {runtime, other_runtime}) {
            QDir().mkpath(own);
            QFile::setPermissions(own, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        QDir().mkpath(folder + QStringLiteral("/Data/User/Ann"));
        write_file(folder + QStringLiteral("/Libraries/Config.txt"), remembered_user_settings());
        executable = folder + QStringLiteral("/rz410");
        if (how == placed_by::script) {
            write_file(folder + QStringLiteral("/Data/User/Ann/Experiments/morning.qve"), "mine");
            write_file(folder + QStringLiteral("/icons/Start80.png"), "an icon of the user's own");
            copied = prepare_working_folder(folder) && QFileInfo(executable).isExecutable();
            return;
        }
        copied = QFile::copy(QStringLiteral(RZ410_PROGRAM), executable) &&
                 QFile::setPermissions(executable, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Starts a copy from the launcher folder. Its traces are on, so that its stderr tells what it did;
    // its temporary and runtime folders (and with them the single-instance lock) are this test's own.
    // `runtime_folder` stands for the person who starts it: each user has a runtime folder of their own.
    running start(const QStringList &arguments, const QString &runtime_folder = QString()) const
    {
        running p(new QProcess);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("rz410.trace.debug=true"));
        env.insert(QStringLiteral("TMPDIR"), temporary);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_folder.isEmpty() ? runtime : runtime_folder);
        env.insert(QStringLiteral("RZ410_EXTRA_PORTS"), QString());
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(launcher);
        p->start(executable, arguments);
        return p;
    }

    QTemporaryDir root;
    QString folder, launcher, temporary, runtime, other_runtime, executable;
    bool copied = false;
};

// Collects a process's stderr until `wanted` shows, the process ends, or patience runs out.
QByteArray read_until(QProcess &p, const QByteArray &wanted, int patience_ms)
{
    QByteArray seen;
    QElapsedTimer clock;
    clock.start();
    while (!seen.contains(wanted) && clock.elapsed() < patience_ms && p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(100);
        seen += p.readAllStandardError();
    }
    return seen + p.readAllStandardError();
}

} // namespace

class program_start_test : public QObject {
    Q_OBJECT

private slots:
    void relative_document_is_found_and_a_second_copy_stays_out()
    {
        program_copy program;
        QVERIFY(program.copied);
        // A file that is there but holds no experiment: the program says so, which shows it found the file
        // beside the launcher and not beside itself, where nothing of that name exists.
        write_file(program.launcher + QStringLiteral("/runs/probe.qve"), QByteArray("not an experiment\n"));

        running first = program.start({QStringLiteral("runs/probe.qve")});
        QVERIFY(first->waitForStarted());
        const QByteArray first_says = read_until(*first, "probe.qve holds no experiment", start_patience_ms);
        QVERIFY2(first_says.contains("probe.qve holds no experiment that can be read."), first_says.constData());
        QVERIFY2(first_says.contains("users: (\"Ann\")"), first_says.constData());
        QCOMPARE(first->state(), QProcess::Running);

        // The second copy finds the lock taken: it shows its refusal and never builds a log-in page.
        running second = program.start({});
        QVERIFY(second->waitForStarted());
        const QByteArray second_says = read_until(*second, "users:", 5000);
        QVERIFY2(!second_says.contains("users:") && !second_says.contains("user saved?:"), second_says.constData());
        if (second->state() == QProcess::NotRunning) {
            QCOMPARE(second->exitStatus(), QProcess::NormalExit);
            QCOMPARE(second->exitCode(), 1);
        }
        second.reset();

        // Another person on the same machine (same temporary folder, a runtime folder of their own) is not
        // kept out by the first person's copy.
        running other_person = program.start({}, program.other_runtime);
        QVERIFY(other_person->waitForStarted());
        const QByteArray other_says = read_until(*other_person, "user saved?:", start_patience_ms);
        QVERIFY2(other_says.contains("user saved?: false"), other_says.constData());
        QCOMPARE(other_person->state(), QProcess::Running);
        QVERIFY(QFileInfo::exists(program.runtime + QStringLiteral("/tevra.lock")));
        QVERIFY(!QFileInfo::exists(program.temporary + QStringLiteral("/tevra.lock")));
        other_person.reset();

        // Once the first copy is gone, the lock is free again and a new copy builds its log-in page (with no
        // argument it stays in the launcher's folder, which holds no users).
        first.reset();
        running third = program.start({});
        QVERIFY(third->waitForStarted());
        const QByteArray third_says = read_until(*third, "user saved?:", start_patience_ms);
        QVERIFY2(third_says.contains("users: ()") && third_says.contains("user saved?: false"), third_says.constData());
    }

    // The working folder that scripts/run.sh prepares outside the build tree: what is missing comes from
    // runtime/, nothing of the user's is overwritten, and the program beside the data finds it, also when a
    // document on the command line makes its own folder the working folder.
    void prepared_working_folder_keeps_the_users_files()
    {
        program_copy program(program_copy::placed_by::script);
        QVERIFY(program.copied);
        const auto read = [&](const QString &relative) {
            QFile f(program.folder + QLatin1Char('/') + relative);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
        };
        const auto runtime_file = [](const QString &relative) {
            QFile f(QStringLiteral(RZ410_SOURCE "/runtime/") + relative);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing in runtime)");
        };
        QCOMPARE(read(QStringLiteral("Libraries/Config.txt")), remembered_user_settings());
        QCOMPARE(read(QStringLiteral("Data/User/Ann/Experiments/morning.qve")), QByteArray("mine"));
        QCOMPARE(read(QStringLiteral("icons/Start80.png")), QByteArray("an icon of the user's own"));
        for (const char *added : {"icons/Stop80.png", "icons/tevrakov_logo_sun.png", "Libraries/icons/Link80.png",
                                  "Libraries/icons/QV_icons/qv256.ico"})
            QCOMPARE(read(QString::fromLatin1(added)), runtime_file(QString::fromLatin1(added)));

        // Prepared again (the next start): still nothing overwritten.
        QVERIFY(prepare_working_folder(program.folder));
        QCOMPARE(read(QStringLiteral("Libraries/Config.txt")), remembered_user_settings());
        QCOMPARE(read(QStringLiteral("icons/Start80.png")), QByteArray("an icon of the user's own"));

        write_file(program.launcher + QStringLiteral("/runs/probe.qve"), QByteArray("not an experiment\n"));
        running started = program.start({QStringLiteral("runs/probe.qve")});
        QVERIFY(started->waitForStarted());
        const QByteArray says = read_until(*started, "probe.qve holds no experiment", start_patience_ms);
        QVERIFY2(says.contains("users: (\"Ann\")") && says.contains("probe.qve holds no experiment"), says.constData());
        QCOMPARE(read(QStringLiteral("Data/User/Ann/Experiments/morning.qve")), QByteArray("mine"));
    }

    // A working folder inside the source tree, reached directly or through a symlink, is refused by its real path
    // before anything is installed, built or created: a refused folder leaves nothing behind.
    void run_script_refuses_a_working_folder_in_the_source_tree_data()
    {
        QTest::addColumn<QString>("link_to");   // where a symlink in a folder of the test's points; empty: none
        QTest::addColumn<QString>("home");      // RZ410_HOME, "@" standing for that symlink
        QTest::addColumn<QString>("really");    // the folder it names, which must not come into being
        const QString build_app = QFileInfo(QStringLiteral(RZ410_PROGRAM)).absolutePath();
        const QString source = QStringLiteral(RZ410_SOURCE);
        QTest::newRow("new folder in the source tree")
            << QString() << source + "/not a home/Data" << source + "/not a home";
        QTest::newRow("symlink into the build tree") << build_app << "@/home" << build_app + "/home";
        QTest::newRow("symlink to the source tree") << source << "@" << source + "/Data";
    }
    void run_script_refuses_a_working_folder_in_the_source_tree()
    {
        QFETCH(QString, link_to);
        QFETCH(QString, home);
        QFETCH(QString, really);
        QTemporaryDir elsewhere;
        const QString link = elsewhere.filePath(QStringLiteral("lab"));
        QVERIFY(link_to.isEmpty() || QFile::link(link_to, link));
        QVERIFY(!QFileInfo::exists(really));

        QProcess script;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("RZ410_HOME"), home.replace(QLatin1Char('@'), link));
        env.insert(QStringLiteral("HOME"), elsewhere.path());
        script.setProcessEnvironment(env);
        script.start(QStringLiteral("bash"), {QStringLiteral(RZ410_SOURCE "/scripts/run.sh")});
        // A refusal comes at once; a script that went on to build and start the program is stopped here.
        if (!script.waitForFinished(60000))
            script.kill();
        script.waitForFinished(5000);
        const QByteArray says = script.readAllStandardError();
        QVERIFY2(says.contains("lies inside the source tree"), says.constData());
        QCOMPARE(script.exitCode(), 1);
        QVERIFY(!QFileInfo::exists(really));
    }
};

QTEST_GUILESS_MAIN(program_start_test)
#include "program_start_test.moc"
