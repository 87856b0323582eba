// Moving a user folder: same file system, across file systems, refusals, and a failed copy that keeps the source.
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/folder_move.h"

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

void write(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A small user folder with nested files, an empty subfolder and a hidden file.
void make_tree(const QString &root)
{
    write(root + "/Experiments/a.qve", "experiment a");
    write(root + "/Experiments/deep/b.qve", "experiment b");
    write(root + "/.hidden", "h");
    QVERIFY(QDir().mkpath(root + "/Plots"));
}

void check_tree(const QString &root)
{
    QCOMPARE(read(root + "/Experiments/a.qve"), QByteArray("experiment a"));
    QCOMPARE(read(root + "/Experiments/deep/b.qve"), QByteArray("experiment b"));
    QCOMPARE(read(root + "/.hidden"), QByteArray("h"));
    QVERIFY(QFileInfo(root + "/Plots").isDir());
}

} // namespace

class test_folder_move : public QObject {
    Q_OBJECT
private slots:
    void whole_tree_moves_data()
    {
        QTest::addColumn<bool>("by_copy");
        QTest::newRow("rename on the same file system") << false;
        QTest::newRow("copy road") << true;
    }
    void whole_tree_moves()
    {
        QFETCH(bool, by_copy);
        QTemporaryDir tmp;
        make_tree(tmp.filePath("User/Ann"));
        QVERIFY(QDir().mkpath(tmp.filePath("Archive")));
        const auto move = by_copy ? folder_move::move_folder_by_copy : folder_move::move_folder;
        const auto r = move(tmp.filePath("User/Ann"), tmp.filePath("Archive/Ann"));
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(r.error.isEmpty());
        QVERIFY(!QFileInfo::exists(tmp.filePath("User/Ann")));
        check_tree(tmp.filePath("Archive/Ann"));
    }

    void refusals_keep_everything_in_place()
    {
        QTemporaryDir tmp;
        make_tree(tmp.filePath("User/Ann"));
        // Target exists (even an empty folder, which a plain rename would silently replace).
        QVERIFY(QDir().mkpath(tmp.filePath("Archive/Ann")));
        auto r = folder_move::move_folder(tmp.filePath("User/Ann"), tmp.filePath("Archive/Ann"));
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        check_tree(tmp.filePath("User/Ann"));
        QVERIFY(QDir(tmp.filePath("Archive/Ann")).isEmpty());
        r = folder_move::move_folder_by_copy(tmp.filePath("User/Ann"), tmp.filePath("Archive/Ann"));
        QVERIFY(!r.ok);
        check_tree(tmp.filePath("User/Ann"));

        // Target is a file.
        write(tmp.filePath("Archive/Bob"), "file");
        make_tree(tmp.filePath("User/Bob"));
        QVERIFY(!folder_move::move_folder(tmp.filePath("User/Bob"), tmp.filePath("Archive/Bob")).ok);
        check_tree(tmp.filePath("User/Bob"));
        QCOMPARE(read(tmp.filePath("Archive/Bob")), QByteArray("file"));

        // No archive folder: nothing is created on the way.
        make_tree(tmp.filePath("User/Cy"));
        QVERIFY(!folder_move::move_folder(tmp.filePath("User/Cy"), tmp.filePath("Missing/Cy")).ok);
        QVERIFY(!QFileInfo::exists(tmp.filePath("Missing")));
        check_tree(tmp.filePath("User/Cy"));

        // Missing source.
        QVERIFY(!folder_move::move_folder(tmp.filePath("User/Nobody"), tmp.filePath("Archive/Nobody")).ok);
        QVERIFY(!QFileInfo::exists(tmp.filePath("Archive/Nobody")));
    }

    void failed_copy_keeps_the_source_and_cleans_up()
    {
        QTemporaryDir tmp;
        make_tree(tmp.filePath("User/Ann"));
        // A socket cannot be copied, whatever rights the test runs with: the copy fails part way.
        const QByteArray socket_path = QFile::encodeName(tmp.filePath("User/Ann/Experiments/zz.sock"));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        QVERIFY(size_t(socket_path.size()) < sizeof(address.sun_path));
        std::memcpy(address.sun_path, socket_path.constData(), size_t(socket_path.size()));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
        ::close(fd);

        QVERIFY(QDir().mkpath(tmp.filePath("Archive")));
        const auto r = folder_move::move_folder_by_copy(tmp.filePath("User/Ann"), tmp.filePath("Archive/Ann"));
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        QVERIFY(!QFileInfo::exists(tmp.filePath("Archive/Ann")));
        check_tree(tmp.filePath("User/Ann"));
        QVERIFY(QFileInfo::exists(QFile::decodeName(socket_path)));
    }

    void across_file_systems()
    {
        const QString shm = "/dev/shm";
        QTemporaryDir here;
        if (!QFileInfo(shm).isDir() || !QFileInfo(shm).isWritable()
            || QStorageInfo(shm).device() == QStorageInfo(here.path()).device())
            QSKIP("no second writable file system to move across");
        QTemporaryDir there(shm + "/rz410-move-XXXXXX");
        QVERIFY(there.isValid());
        make_tree(there.filePath("Ann"));
        const auto r = folder_move::move_folder(there.filePath("Ann"), here.filePath("Ann"));
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(!QFileInfo::exists(there.filePath("Ann")));
        check_tree(here.filePath("Ann"));
    }
};

QTEST_GUILESS_MAIN(test_folder_move)
#include "folder_move_test.moc"
