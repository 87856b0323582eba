// Settings-file lines: line ends, short files, out-of-range values, the remembered user, and file safety.
#include <QFile>
#include <QtTest>
#include <sys/wait.h>
#include <unistd.h>

#include "shell/settings_file.h"
#include "support/temp_workdir.h"

namespace sf = settings_file;

namespace {

QByteArray full_file(const QByteArray &eol)
{
    const char *values[] = {"Ann", "1", "RZ410-K260507", "1", "0", "3", "2", "Pearson's RR", "1",
                            "1", "0", "2", "1", "0", "2", "12", "4"};
    QByteArray text;
    for (const char *v : values)
        text += QByteArray(v) + eol;
    return text;
}

} // namespace

class test_settings_file : public QObject {
    Q_OBJECT
private slots:
    void line_ends_all_read_the_same_data()
    {
        QTest::addColumn<QByteArray>("eol");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("CR CR LF") << QByteArray("\r\r\n");
    }
    void line_ends_all_read_the_same()
    {
        QFETCH(QByteArray, eol);
        const QStringList lines = sf::parse_lines(full_file(eol));
        QCOMPARE(lines.size(), 17);
        QCOMPARE(lines.mid(6, 2), (QStringList{"2", "Pearson's RR"}));
        QCOMPARE(sf::int_at(lines, sf::quiet_time_s).value(), 12);
        QCOMPARE(lines.join(""), QString(full_file("")));
    }

    void short_and_unterminated_files()
    {
        QCOMPARE(sf::parse_lines(""), QStringList());
        QCOMPARE(sf::parse_lines("\r\n"), QStringList{""});
        QCOMPARE(sf::parse_lines("Bob"), QStringList{"Bob"});
        QCOMPARE(sf::parse_lines("Bob\r\n-1"), (QStringList{"Bob", "-1"}));
        QCOMPARE(sf::parse_lines("\r\n\r\nx\r\n"), (QStringList{"", "", "x"}));
        QCOMPARE(sf::parse_lines("B\xc3\xb6rk\r\n"), QStringList{QString::fromUtf8("B\xc3\xb6rk")});
    }

    void numbers_and_indices()
    {
        const QStringList lines{"", "abc", "-1", "7", " 3"};
        QVERIFY(!sf::int_at(lines, 5).has_value() && !sf::int_at(lines, -1).has_value());
        // Empty and text read as 0.
        QCOMPARE((QVector<int>{*sf::int_at(lines, 0), *sf::int_at(lines, 1), *sf::int_at(lines, 2)}), QVector<int>({0, 0, -1}));
        // Indices outside a box's items are ignored rather than clearing the selection.
        QVERIFY(!sf::index_at(lines, 2, 7).has_value());
        QVERIFY(!sf::index_at(lines, 3, 7).has_value());
        QCOMPARE(sf::index_at(lines, 3, 8).value(), 7);
        QCOMPARE(sf::index_at(lines, 0, 2).value(), 0);
        QVERIFY(!sf::index_at(lines, 9, 2).has_value());
    }

    void remembered_user_flags_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("name");
        QTest::newRow("flag 1") << QByteArray("Ann\r\n1\r\n") << true << "Ann";
        QTest::newRow("flag -1") << QByteArray("Ann\r\n-1\r\n") << false << "";
        QTest::newRow("flag 0") << QByteArray("Ann\r\n0\r\n") << true << "Ann";
        QTest::newRow("flag empty") << QByteArray("Ann\r\n\r\n") << true << "Ann";
        QTest::newRow("flag text") << QByteArray("Ann\r\nyes\r\n") << true << "Ann";
        QTest::newRow("one line") << QByteArray("Ann\r\n") << true << "Ann";
        QTest::newRow("empty name") << QByteArray("\r\n1\r\n") << false << "";
        QTest::newRow("name of blanks") << QByteArray("   \r\n1\r\n") << false << "";
        QTest::newRow("empty file") << QByteArray("") << false << "";
        QTest::newRow("log out") << QByteArray("Log Out\r\n-1\r\n") << false << "";
        QTest::newRow("log out kept as name") << QByteArray("Log Out\r\n1\r\n") << true << "Log Out";
        QTest::newRow("windows line ends") << QByteArray("Ann\r\r\n-1\r\r\n") << false << "";
        QTest::newRow("name beyond ascii") << QByteArray("Zeyn\xc3\xa9p \xc2\xb5\r\n1\r\n") << true
                                           << QString::fromUtf8("Zeyn\xc3\xa9p \xc2\xb5");
    }
    void remembered_user_flags()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, saved);
        QFETCH(QString, name);
        const auto user = sf::remembered_from_lines(sf::parse_lines(text));
        QCOMPARE(user.saved, saved);
        QCOMPARE(user.name, name);
    }

    void user_lines_rewrite_only_existing_lines_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("17 lines") << full_file("\r\n") << "Bob\r\n-1\r\n" + full_file("\r\n").mid(8);
        QTest::newRow("2 lines") << QByteArray("Ann\r\n1\r\n") << QByteArray("Bob\r\n-1\r\n");
        QTest::newRow("1 line") << QByteArray("Ann\r\n") << QByteArray("Bob\r\n");
        QTest::newRow("0 lines") << QByteArray("") << QByteArray("");
        QTest::newRow("LF file") << QByteArray("Ann\n1\nx\n") << QByteArray("Bob\r\n-1\r\nx\r\n");
        QTest::newRow("CR CR LF file") << QByteArray("Ann\r\r\n1\r\r\n") << QByteArray("Bob\r\n-1\r\n");
    }
    void user_lines_rewrite_only_existing_lines()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        temp_workdir dir;
        dir.write_file("Libraries/Config.txt", before);
        QVERIFY(sf::write_user_lines("Bob", "-1"));
        QCOMPARE(dir.read_file("Libraries/Config.txt"), after);
    }

    void write_then_read_round_trip()
    {
        temp_workdir dir;
        const QStringList lines = sf::parse_lines(full_file("\r\n"));
        QVERIFY(sf::write_lines(lines));
        QCOMPARE(dir.read_file("Libraries/Config.txt"), full_file("\r\n"));
        QCOMPARE(sf::read_lines().value(), lines);

        // A user name beyond ASCII goes to the file as UTF-8 and comes back the same.
        const QString name = QString::fromUtf8("\xc3\x89lif \xc2\xb5" "A");  // "Élif µA"
        QVERIFY(sf::write_user_lines(name, "1"));
        QCOMPARE(dir.read_file("Libraries/Config.txt"), name.toUtf8() + "\r\n1\r\n" + full_file("\r\n").mid(8));
        QCOMPARE(sf::read_lines().value().first(), name);
    }

    void missing_file_or_folder_is_never_created()
    {
        for (bool with_folder : {true, false}) {
            temp_workdir dir(with_folder);
            QVERIFY(!sf::read_lines().has_value());
            QVERIFY(!sf::write_user_lines("Bob", "1"));
            QVERIFY(!dir.exists("Libraries/Config.txt"));
            if (!with_folder) {
                QVERIFY(!sf::write_lines({"a"}));
                QVERIFY(!dir.exists("Libraries"));
            }
        }
    }

    void read_only_file_reads_and_stays_unchanged()
    {
        temp_workdir dir;
        dir.write_file("Libraries/Config.txt", "Ann\r\n1\r\n");
        const QString path = dir.path() + "/Libraries/Config.txt";
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadUser));
        QCOMPARE(sf::read_lines().value(), (QStringList{"Ann", "1"}));
        QVERIFY(!sf::write_user_lines("Bob", "-1"));
        QVERIFY(!sf::write_lines({"x"}));
        QCOMPARE(dir.read_file("Libraries/Config.txt"), QByteArray("Ann\r\n1\r\n"));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void writable_file_in_a_read_only_folder_is_rewritten_whole()
    {
        // No temporary copy can be made beside the file, but the file itself takes the new text.
        temp_workdir dir;
        dir.write_file("Libraries/Config.txt", full_file("\r\n"));
        // The same rights for everyone, given as the others' bits.
        const auto all = [](int p) { return QFileDevice::Permissions(QFlag(p | p << 4 | p << 8 | p << 12)); };
        QVERIFY(QFile::setPermissions(dir.path(), all(QFileDevice::ReadOther | QFileDevice::ExeOther)) &&
                QFile::setPermissions(dir.path() + "/Libraries", all(QFileDevice::ReadOther | QFileDevice::ExeOther)) &&
                QFile::setPermissions(dir.path() + "/Libraries/Config.txt",
                                      all(QFileDevice::ReadOther | QFileDevice::WriteOther)));
        int outcome = 1;
        if (geteuid() != 0) {
            outcome = sf::write_lines({"Bob", "-1"}) ? 0 : 1;
        } else {
            // Folder rights do not bind the super-user: the write runs as an ordinary user.
            const pid_t child = fork();
            if (child == 0)
                _exit(setuid(65534) != 0 ? 2 : (sf::write_lines({"Bob", "-1"}) ? 0 : 1));
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status));
            outcome = WEXITSTATUS(status);
        }
        QFile::setPermissions(dir.path() + "/Libraries", all(QFileDevice::ReadOther | QFileDevice::WriteOther |
                                                             QFileDevice::ExeOther));
        QCOMPARE(outcome, 0);
        QCOMPARE(dir.read_file("Libraries/Config.txt"), QByteArray("Bob\r\n-1\r\n"));
    }
};

QTEST_GUILESS_MAIN(test_settings_file)
#include "settings_file_test.moc"
