// Saving the run screen's plot as an image: the format the settings file asks for, the proposed path, and a
// write that leaves any earlier image alone when it fails.
#include <QtTest>

#include <QComboBox>
#include <QDir>
#include <QListWidget>

#include "plot/plot_image_export.h"
#include "run/mainwindow.h"
#include "support/temp_workdir.h"

namespace {

const QByteArray png_magic("\x89PNG\r\n\x1a\n", 8);
const QByteArray jpeg_magic("\xFF\xD8\xFF", 3);

QByteArray settings_with_image_type(const QString &line10)
{
    QByteArray text;
    for (int i = 0; i < 17; ++i)
        text += (i == 0 ? QByteArray("ann") : i == 10 ? line10.toUtf8() : QByteArray("0")) + "\r\n";
    return text;
}

QStringList lines_with(int count, const QString &line10)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << (i == 10 ? line10 : QStringLiteral("0"));
    return lines;
}

// Files in a folder, temporary leftovers included.
QStringList files_in(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

struct dialog_call {
    int count = 0;
    QString caption, proposal, filter;
};

}  // namespace

class plot_image_test : public QObject {
    Q_OBJECT
private slots:
    // logic
    void format_follows_line_10_exactly()
    {
        using plot_image::format;
        QCOMPARE(plot_image::format_from_settings(lines_with(17, "0")), format::png);
        QCOMPARE(plot_image::format_from_settings(lines_with(17, "1")), format::jpeg);
        QCOMPARE(plot_image::format_from_settings(lines_with(17, " 0")), format::jpeg);
        QCOMPARE(plot_image::format_from_settings(lines_with(17, "0 ")), format::jpeg);
        QCOMPARE(plot_image::format_from_settings(lines_with(17, "")), format::jpeg);
        QCOMPARE(plot_image::format_from_settings(lines_with(11, "1")), format::jpeg);
        // No line 10 at all, or no file: PNG.
        QCOMPARE(plot_image::format_from_settings(lines_with(10, "")), format::png);
        QCOMPARE(plot_image::format_from_settings(std::nullopt), format::png);
    }

    void successful_write_replaces_the_file()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("plot.png");
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old image, longer than the new one");
        old.close();

        QString handed;
        const plot_image::write_result r = plot_image::write_replacing(target, [&handed](const QString &temp) {
            handed = temp;
            QFile f(temp);
            return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write("new") == 3;
        });
        QVERIFY(r.ok);
        // Written beside the target, never into it directly.
        QVERIFY(handed != target);
        QCOMPARE(QFileInfo(handed).absolutePath(), QFileInfo(target).absolutePath());
        QFile result(target);
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(result.readAll(), QByteArray("new"));
        QCOMPARE(files_in(dir.path()), QStringList{"plot.png"});

        // A new image is readable by others like any saved file, not private like a temporary one.
        const QString fresh = dir.filePath("fresh.png");
        QVERIFY(plot_image::write_replacing(fresh, [](const QString &temp) {
                    QFile f(temp);
                    return f.open(QIODevice::WriteOnly) && f.write("x") == 1;
                }).ok);
        QVERIFY(QFileInfo(fresh).permissions() & QFileDevice::ReadOther);
    }

    void failed_write_keeps_the_previous_image()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("plot.png");
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(png_magic + "previous");
        old.close();

        // The writer got part of the way before it failed.
        const plot_image::write_result r = plot_image::write_replacing(target, [](const QString &temp) {
            QFile f(temp);
            if (f.open(QIODevice::WriteOnly))
                f.write("half");
            return false;
        });
        QVERIFY(!r.ok);
        QVERIFY(!r.title.isEmpty());
        QVERIFY(r.text.contains(target));
        QFile kept(target);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), png_magic + "previous");
        QCOMPARE(files_in(dir.path()), QStringList{"plot.png"});

        // A new name that fails leaves no file at all.
        const QString fresh = dir.filePath("fresh.png");
        QVERIFY(!plot_image::write_replacing(fresh, [](const QString &) { return false; }).ok);
        QVERIFY(!QFile::exists(fresh));
        QCOMPARE(files_in(dir.path()), QStringList{"plot.png"});
    }

    void unwritable_place_is_refused_before_writing()
    {
        QTemporaryDir dir;
        int calls = 0;
        auto writer = [&calls](const QString &) {
            ++calls;
            return true;
        };
        // A folder where the file would go is not replaced by an image.
        QVERIFY(QDir(dir.path()).mkdir("taken.png"));
        const plot_image::write_result r = plot_image::write_replacing(dir.filePath("taken.png"), writer);
        QVERIFY(!r.ok);
        QCOMPARE(r.title, QStringLiteral("Unable to open file"));
        QVERIFY(QFileInfo(dir.filePath("taken.png")).isDir());
        QCOMPARE(calls, 0);
        QVERIFY(files_in(dir.path()).isEmpty());
    }
    // through the window
    void image_data_follows_the_setting_data()
    {
        QTest::addColumn<QString>("line10");
        QTest::addColumn<QString>("typed_name");
        QTest::addColumn<QByteArray>("magic");
        QTest::addColumn<QString>("proposed_ending");
        QTest::newRow("0 gives PNG") << "0" << "" << png_magic << ".png";
        QTest::newRow("1 gives JPEG") << "1" << "" << jpeg_magic << ".jpg";
        QTest::newRow("space before 0 gives JPEG") << " 0" << "" << jpeg_magic << ".jpg";
        QTest::newRow("typed .jpg stays PNG") << "0" << "typed.jpg" << png_magic << ".png";
    }

    void image_data_follows_the_setting()
    {
        QFETCH(QString, line10);
        QFETCH(QString, typed_name);
        QFETCH(QByteArray, magic);
        QFETCH(QString, proposed_ending);

        temp_workdir dir;
        dir.write_file("Libraries/Config.txt", settings_with_image_type(line10));
        QVERIFY(QDir().mkpath("Data/User/ann/Plots"));
        MainWindow window;
        auto *list = window.findChild<QListWidget *>("listWidget");
        auto *users = window.findChild<QComboBox *>("user_box");
        QVERIFY(list && users);
        QCOMPARE(users->currentText(), QStringLiteral("ann"));
        QVERIFY(window.reserve_next_record() >= 0);
        window.add_opened_experiment("first");
        list->setCurrentRow(0);
        // The proposal follows the row's text as the user left it.
        list->item(0)->setText("renamed");

        dialog_call call;
        window.ask_image_path = [&call, &typed_name](const QString &caption, const QString &proposal, const QString &filter) {
            ++call.count;
            call.caption = caption;
            call.proposal = proposal;
            call.filter = filter;
            return typed_name.isEmpty() ? proposal : QStringLiteral("Data/User/ann/Plots/") + typed_name;
        };
        QStringList messages;
        window.show_image_message = [&messages](const QString &title, const QString &) { messages << title; };

        window.on_Image_clicked();
        QCOMPARE(call.count, 1);
        QCOMPARE(call.caption, QStringLiteral("Save Plot"));
        QCOMPARE(call.proposal, "Data/User/ann/Plots/renamed" + proposed_ending);
        QVERIFY(call.filter.startsWith("QV Curve (*" + proposed_ending + ")"));
        QVERIFY(messages.isEmpty());

        const QString written = typed_name.isEmpty() ? call.proposal : "Data/User/ann/Plots/" + typed_name;
        const QByteArray data = dir.read_file(written);
        QVERIFY2(data.startsWith(magic), data.left(8).toHex().constData());
        QCOMPARE(files_in("Data/User/ann/Plots"), QStringList{QFileInfo(written).fileName()});
    }

    void nothing_without_a_current_row_or_after_cancel()
    {
        temp_workdir dir;
        dir.write_file("Libraries/Config.txt", settings_with_image_type("0"));
        QVERIFY(QDir().mkpath("Data/User/ann/Plots"));
        MainWindow window;
        auto *list = window.findChild<QListWidget *>("listWidget");
        QVERIFY(list);
        int asked = 0;
        window.ask_image_path = [&asked](const QString &, const QString &, const QString &) {
            ++asked;
            return QString();  // cancelled
        };
        int told = 0;
        window.show_image_message = [&told](const QString &, const QString &) { ++told; };

        window.on_Image_clicked();
        QCOMPARE(asked, 0);

        QVERIFY(window.reserve_next_record() >= 0);
        window.add_opened_experiment("first");
        list->setCurrentRow(-1);
        window.on_Image_clicked();
        QCOMPARE(asked, 0);
        // Current but not selected: not drawn, so not the picture's name.
        list->setCurrentRow(0);
        list->clearSelection();
        window.on_Image_clicked();
        QCOMPARE(asked, 0);

        list->setCurrentRow(0);
        window.on_Image_clicked();
        QCOMPARE(asked, 1);
        QCOMPARE(told, 0);
        QVERIFY(files_in("Data/User/ann/Plots").isEmpty());
    }

    void plots_folder_that_cannot_be_made_is_reported()
    {
        temp_workdir dir;
        dir.write_file("Libraries/Config.txt", settings_with_image_type("1"));
        QVERIFY(QDir().mkpath("Data/User/ann"));
        dir.write_file("Data/User/ann/Plots", "a file in the way");  // a missing folder would be made
        MainWindow window;
        auto *list = window.findChild<QListWidget *>("listWidget");
        QVERIFY(list);
        QVERIFY(window.reserve_next_record() >= 0);
        window.add_opened_experiment("first");
        list->setCurrentRow(0);
        window.ask_image_path = [](const QString &, const QString &proposal, const QString &) { return proposal; };
        QStringList titles;
        window.show_image_message = [&titles](const QString &title, const QString &) { titles << title; };

        window.on_Image_clicked();
        QCOMPARE(titles, QStringList{"Unable to open file"});
        QCOMPARE(dir.read_file("Data/User/ann/Plots"), QByteArray("a file in the way"));
    }
};

QTEST_MAIN(plot_image_test)
#include "plot_image_test.moc"
