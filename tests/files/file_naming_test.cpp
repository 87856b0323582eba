// Naming rules of the open, save and drop commands.
#include "files/file_naming.h"
#include "support/temp_workdir.h"

#include <QDir>
#include <QtTest>

class file_naming_test : public QObject {
    Q_OBJECT

private slots:
    void list_names_are_unique()
    {
        QCOMPARE(unique_list_name("scan", {}), QStringLiteral("scan"));
        QCOMPARE(unique_list_name("scan", {"Scan", "scan_1"}), QStringLiteral("scan"));
        QCOMPARE(unique_list_name("scan", {"scan", "scan_1"}), QStringLiteral("scan_2"));
        // The walk starts again from the first row after every match.
        QCOMPARE(unique_list_name("scan", {"scan_1", "scan"}), QStringLiteral("scan_2"));
        QStringList taken{"scan"};
        for (int n = 1; n <= 100; ++n)
            taken << "scan_" + QString::number(n);
        QCOMPARE(unique_list_name("scan", taken), QStringLiteral("scan_101"));
        taken << "scan_101";
        QCOMPARE(unique_list_name("scan", taken), QStringLiteral("scan_102"));
    }

    void base_names_and_folders()
    {
        QCOMPARE(file_base_name("/data/exp/a.b.qve"), QStringLiteral("a"));
        QCOMPARE(file_base_name("/data/exp/scan.qve"), QStringLiteral("scan"));
        QCOMPARE(file_base_name(QString()), QString()); // a cancelled dialog
        QCOMPARE(remembered_folder("/data/exp/a.b.qve"), QStringLiteral("/data/exp"));
        QCOMPARE(remembered_folder("/data/exp/noext"), QStringLiteral("/data/exp"));
        QCOMPARE(remembered_folder("Data/User/al/Experiments/scan.qve"), QStringLiteral("Data/User/al/Experiments"));
        QCOMPARE(protocol_name_from_path("/p/my.scan.qvp"), QStringLiteral("my"));
        QCOMPARE(protocol_name_from_path("/p/" + QString(70, 'n') + ".qvp"), QString(64, 'n'));
    }

    // The dialog's answers in turn, the replace answers in turn; what the save writes to and what was asked.
    void save_target_goes_back_to_the_dialog_after_a_no_data()
    {
        QTest::addColumn<QStringList>("dialog");   // relative to the folder; "" cancels
        QTest::addColumn<QList<bool>>("replace");
        QTest::addColumn<QString>("target");       // relative; "" nothing is written
        QTest::addColumn<QStringList>("starts");   // where each dialog started
        QTest::addColumn<int>("questions");
        QTest::newRow("new name") << QStringList{"fresh"} << QList<bool>{} << "fresh.qve" << QStringList{"prop"} << 0;
        QTest::newRow("cancelled") << QStringList{""} << QList<bool>{} << "" << QStringList{"prop"} << 0;
        QTest::newRow("extension typed: the dialog asked")
            << QStringList{"old.qve"} << QList<bool>{} << "old.qve" << QStringList{"prop"} << 0;
        QTest::newRow("yes") << QStringList{"old"} << QList<bool>{true} << "old.qve" << QStringList{"prop"} << 1;
        QTest::newRow("no, then cancel")
            << QStringList{"old", ""} << QList<bool>{false} << "" << QStringList{"prop", "old"} << 1;
        QTest::newRow("no, then another name")
            << QStringList{"old", "fresh"} << QList<bool>{false} << "fresh.qve" << QStringList{"prop", "old"} << 1;
        QTest::newRow("no twice, then yes") << QStringList{"old", "old", "old"} << QList<bool>{false, false, true}
                                            << "old.qve" << QStringList{"prop", "old", "old"} << 3;
    }
    void save_target_goes_back_to_the_dialog_after_a_no()
    {
        QFETCH(QStringList, dialog);
        QFETCH(QList<bool>, replace);
        QFETCH(QString, target);
        QFETCH(QStringList, starts);
        QFETCH(int, questions);
        temp_workdir dir;
        dir.write_file("old.qve", "kept");
        const QString folder = dir.path() + '/';
        QStringList started;
        int asked = 0;
        const QString chosen = choose_save_target(
            folder + "prop", ".qve",
            [&](const QString &start) {
                started << start.mid(folder.size());
                const QString answer = dialog.isEmpty() ? QString() : dialog.takeFirst();
                return answer.isEmpty() ? QString() : folder + answer;
            },
            [&](const QString &path) {
                ++asked;
                return path == folder + "old.qve" && !replace.isEmpty() && replace.takeFirst();
            });
        QCOMPARE(chosen, target.isEmpty() ? QString() : folder + target);
        QCOMPARE(started, starts);
        QCOMPARE(asked, questions);
    }

    void extensions_are_added_when_missing()
    {
        QCOMPARE(with_extension("/d/scan", ".qve"), QStringLiteral("/d/scan.qve"));
        QCOMPARE(with_extension("/d/scan.qve", ".qve"), QStringLiteral("/d/scan.qve"));
        QCOMPARE(with_extension("/d/scan.QVE", ".qve"), QStringLiteral("/d/scan.QVE"));
        QCOMPARE(with_extension("/d/a.b", ".qvp"), QStringLiteral("/d/a.b.qvp"));
        QCOMPARE(with_extension("/d/table.qve", ".xls"), QStringLiteral("/d/table.qve.xls"));
        QCOMPARE(with_extension(QString(), ".qve"), QString());
    }

    void only_qve_drops_open()
    {
        QVector<bool> opens;
        for (const char *path : {"/d/scan.qve", "/d/scan.QVE", "/d/scan.txt", "qve", ".qve"})
            opens << is_droppable_experiment(path);
        QCOMPARE(opens, QVector<bool>({true, false, false, false, true}));
    }

    void save_targets()
    {
        QCOMPARE(last_row_named({"a", "b", "a"}, "a"), std::optional<int>(2));
        QCOMPARE(last_row_named({"a", "b"}, "c"), std::optional<int>()); // no row: nothing is overwritten
        QCOMPARE(save_proposal("Data/User/al/Experiments/", "scan"), QStringLiteral("Data/User/al/Experiments//scan.qve"));

        // Mode 10 proposes the name box and stays; mode 1 the selected row, mode 0 the current row, both then 0.
        // The record written is the one named: the selected record for mode 1, the current row's otherwise.
        for (auto m : {std::tuple<int, QString, int>{10, "box", 10}, {1, "sel", 0}, {0, "cur", 0}}) {
            const save_name_choice c = proposed_save_name(std::get<0>(m), "box", "sel", "cur");
            QCOMPARE(c.name, std::get<1>(m));
            QCOMPARE(c.next_save_mode, std::get<2>(m));
            QCOMPARE(c.selected_record, std::get<0>(m) == 1);
        }
    }

    void autosave_folder_is_created()
    {
        temp_workdir dir(false);
        const QDateTime when(QDate(2019, 2, 18), QTime(14, 30, 5));
        QCOMPARE(autosave_path(when), QStringLiteral("Data/Temp/20190218_143005.qve"));
        QVERIFY(!QDir("Data/Temp").exists());
        QCOMPARE(prepare_autosave_path(when), std::optional<QString>("Data/Temp/20190218_143005.qve"));
        QVERIFY(QDir("Data/Temp").exists());
        dir.write_file("blocked", "a file where the folder should be");
        QVERIFY(!prepare_autosave_path(when, "blocked/Temp"));
    }
};

QTEST_GUILESS_MAIN(file_naming_test)
#include "file_naming_test.moc"
