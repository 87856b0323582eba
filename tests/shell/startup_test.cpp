// Start-up and user rules: the single-instance lock, command-line classification, user names and folders.
#include <QElapsedTimer>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtTest>

#include "shell/startup.h"
#include "shell/user_folders.h"
#include "shell/user_names.h"
#include "support/temp_workdir.h"

namespace {

// Puts an environment variable back as it was when the case ends, passed or not.
class saved_variable {
public:
    explicit saved_variable(const char *name) : name(name), value(qgetenv(name)), was_set(qEnvironmentVariableIsSet(name)) {}
    ~saved_variable()
    {
        if (was_set)
            qputenv(name, value);
        else
            qunsetenv(name);
    }

private:
    const char *name;
    QByteArray value;
    bool was_set;
};

} // namespace

class test_startup : public QObject {
    Q_OBJECT
private slots:
    void lock_belongs_to_the_user_data()
    {
        QTest::addColumn<bool>("runtime_set");
        QTest::newRow("runtime folder named") << true;
        QTest::newRow("no runtime folder named") << false;
    }
    void lock_belongs_to_the_user()
    {
        QFETCH(bool, runtime_set);
        const saved_variable keep_runtime("XDG_RUNTIME_DIR"), keep_tmp("TMPDIR");
        QTemporaryDir runtime, shared_tmp;
        QVERIFY(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("TMPDIR", QFile::encodeName(shared_tmp.path()));
        if (runtime_set)
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        else
            qunsetenv("XDG_RUNTIME_DIR");

        const QString path = startup::lock_file_path();
        const QString folder = QFileInfo(path).absolutePath();
        QVERIFY(QFileInfo(path).isAbsolute());
        QCOMPARE(QFileInfo(path).fileName(), QString("tevra.lock"));
        // Never the machine-wide temporary folder itself, where another person's copy would hold it.
        QVERIFY2(folder != QFileInfo(shared_tmp.path()).absoluteFilePath(), qPrintable(path));
        if (runtime_set)
            QCOMPARE(folder, QFileInfo(runtime.path()).absoluteFilePath());
        else
            QVERIFY2(folder.startsWith(shared_tmp.path() + "/"), qPrintable(path));  // a folder of the user's own
        QVERIFY(QFileInfo(folder).isDir());
        QLockFile lock(path);
        QCOMPARE(startup::acquire_instance_lock(lock), startup::lock_result::acquired);
    }

    void held_lock_refuses_second_copy_quickly()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath("tevra.lock");
        QLockFile first(path);
        QCOMPARE(startup::acquire_instance_lock(first), startup::lock_result::acquired);

        QLockFile second(path);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(startup::acquire_instance_lock(second), startup::lock_result::held_by_other);
        const qint64 waited = clock.elapsed();
        QVERIFY2(waited >= 90 && waited <= 500, qPrintable(QString::number(waited)));

        // Once released the next copy gets it.
        first.unlock();
        QCOMPARE(startup::acquire_instance_lock(second), startup::lock_result::acquired);
    }

    void unusable_lock_place_is_not_called_running()
    {
        QTemporaryDir tmp;
        QLockFile lock(tmp.filePath("no-such-folder/tevra.lock"));
        QCOMPARE(startup::acquire_instance_lock(lock), startup::lock_result::failed);
    }

    void argument_classification_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("experiment");
        QTest::addColumn<QString>("analysis");
        QTest::newRow("none") << QStringList() << "" << "";
        QTest::newRow("experiment") << QStringList{"/data/run.qve"} << "/data/run.qve" << "";
        QTest::newRow("analysis") << QStringList{"/data/peaks.qva"} << "" << "/data/peaks.qva";
        QTest::newRow("upper case ending") << QStringList{"/data/run.QVE"} << "" << "";
        QTest::newRow("other ending") << QStringList{"/data/run.qvp"} << "" << "";
        QTest::newRow("three characters") << QStringList{"qve"} << "" << "";
        QTest::newRow("one character") << QStringList{"e"} << "" << "";
        QTest::newRow("empty") << QStringList{""} << "" << "";
        QTest::newRow("only first counts") << QStringList{"/d/a.qva", "/d/b.qve"} << "" << "/d/a.qva";
        QTest::newRow("first not a document") << QStringList{"-x", "/d/b.qve"} << "" << "";
        QTest::newRow("relative") << QStringList{"sub/run.qve"} << "/home/lab/sub/run.qve" << "";
        QTest::newRow("relative dots") << QStringList{"../x/p.qva"} << "" << "/home/x/p.qva";
        QTest::newRow("bare ending") << QStringList{".qve"} << "/home/lab/.qve" << "";
        QTest::newRow("unicode") << QStringList{QString::fromUtf8("/d/\xc3\xa7\xc3\xb6.qve")}
                                 << QString::fromUtf8("/d/\xc3\xa7\xc3\xb6.qve") << "";
    }
    void argument_classification()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, experiment);
        QFETCH(QString, analysis);
        const auto docs = startup::classify_arguments(args, "/home/lab");
        QCOMPARE(docs.experiment_path, experiment);
        QCOMPARE(docs.analysis_path, analysis);
    }

    void user_name_rules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("problem");
        QTest::newRow("plain") << "Cem" << int(user_name_problem::none);
        QTest::newRow("spaces and unicode") << QString::fromUtf8("Zeynep \xc3\x96z") << int(user_name_problem::none);
        QTest::newRow("empty") << "" << int(user_name_problem::empty);
        QTest::newRow("blanks only") << "   " << int(user_name_problem::blank);
        QTest::newRow("blanks around are taken away") << " Cem  " << int(user_name_problem::none);
        QTest::newRow("slash") << "a/b" << int(user_name_problem::path_separator);
        QTest::newRow("backslash") << "a\\b" << int(user_name_problem::path_separator);
        QTest::newRow("dot") << "." << int(user_name_problem::dot_name);
        QTest::newRow("dot dot") << ".." << int(user_name_problem::dot_name);
        QTest::newRow("three dots are a name") << "..." << int(user_name_problem::none);
        QTest::newRow("tab") << "a\tb" << int(user_name_problem::control_character);
        QTest::newRow("new line") << "a\n" << int(user_name_problem::control_character);
        QTest::newRow("nul") << QString(QChar(0)) + "x" << int(user_name_problem::control_character);
        QTest::newRow("log out") << "Log Out" << int(user_name_problem::reserved);
        QTest::newRow("log out other case") << "log out" << int(user_name_problem::reserved);
        QTest::newRow("recent marker") << "0xffrecentuser" << int(user_name_problem::reserved);
        QTest::newRow("settings marker") << "itiscoming_protocol" << int(user_name_problem::reserved);
        QTest::newRow("end marker") << "go_to_protocols_configure" << int(user_name_problem::reserved);
        QTest::newRow("duplicate") << "Ann" << int(user_name_problem::duplicate);
        QTest::newRow("duplicate other case") << "ANN" << int(user_name_problem::duplicate);
        QTest::newRow("duplicate lower listed") << "Bob" << int(user_name_problem::duplicate);
        QTest::newRow("duplicate but for a blank") << "Ann " << int(user_name_problem::duplicate);
    }
    void user_name_rules()
    {
        QFETCH(QString, name);
        QFETCH(int, problem);
        const auto found = check_new_user_name(name, {"Ann", "bob"});
        QCOMPARE(int(found), problem);
        QCOMPARE(user_name_problem_text(found, name).isEmpty(), found == user_name_problem::none);
    }

    void user_listing_order_and_missing_root()
    {
        temp_workdir dir;
        QVERIFY(user_folders::list_users().isEmpty());  // no "Data/User"
        for (const char *user : {"b", "A", "c"})
            QVERIFY(QDir().mkpath(QString("Data/User/") + user));
        QVERIFY(QDir().mkpath("Data/User/Bz/Plots"));
        // Files are nobody's folder: an ".xls" export lands right here by default.
        dir.write_file("Data/User/New_Experiment.xls", "exported text");
        dir.write_file("Data/User/Ba", "a plain file");
        QVERIFY(QDir().mkpath("Data/User/Log Out"));  // never a user: it is the run screen's log-out entry
        QVERIFY(QDir().mkpath("Data/User/   "));      // nor a name of blanks, which no user box can show
        QCOMPARE(user_folders::list_users(), (QStringList{"A", "b", "Bz", "c"}));
        QCOMPARE(user_folders::index_of_user(user_folders::list_users(), "Bz"), 2);
        QCOMPARE(user_folders::index_of_user(user_folders::list_users(), "bz"), -1);
    }

    void user_folders_are_completed_and_keep_their_content()
    {
        temp_workdir dir;
        QVERIFY(QDir().mkpath("Data/User/Ann/Plots"));
        dir.write_file("Data/User/Ann/keep.txt", "mine");
        dir.write_file("Data/User/Ann/Plots/p.png", "picture");
        dir.write_file("Data/User/File", "x");
        user_folders::complete_user_folders({"Ann", "Bob", "File", "   ", "Log Out"});
        // A folder made by hand gets the subfolders it lacks; what it held stays.
        QCOMPARE(QDir("Data/User/Ann").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"Analysis", "Experiments", "keep.txt", "Plots", "Protocols"}));
        QCOMPARE(dir.read_file("Data/User/Ann/Plots/p.png"), QByteArray("picture"));
        QCOMPARE(QDir("Data/User/Bob").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"Analysis", "Experiments", "Plots", "Protocols"}));
        QCOMPARE(dir.read_file("Data/User/File"), QByteArray("x"));
        QVERIFY(!user_folders::complete_user_folder("File"));
        QVERIFY(!dir.exists("Data/User/   ") && !dir.exists("Data/User/Log Out"));
        QVERIFY(user_folders::complete_user_folder("Ann"));

        // Without "Data/User" nothing is created, not even the root.
        temp_workdir bare;
        user_folders::complete_user_folders({"Ann"});
        QVERIFY(!bare.exists("Data"));
    }
};

QTEST_GUILESS_MAIN(test_startup)
#include "startup_test.moc"
