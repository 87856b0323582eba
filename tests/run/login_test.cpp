// Log-in page flows offscreen: automatic log-in, Log Out, folder creation, user names, archiving.
#include <QApplication>
#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "analysis/analysis_file.h"
#include "analysis/qv_analysis_window.h"
#include "run/log_page.h"
#include "run/mainwindow.h"
#include "shell/add_user.h"
#include "shell/app_state.h"
#include "shell/select_user.h"
#include "support/slot_warning_guard.h"
#include "support/temp_workdir.h"

namespace {

QByteArray config(const QByteArray &name, const QByteArray &flag)
{
    QByteArray text = name + "\r\n" + flag + "\r\n";
    for (int i = 2; i < 17; ++i)
        text += "0\r\n";
    return text;
}

QList<MainWindow *> run_screens()
{
    QList<MainWindow *> found;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *m = qobject_cast<MainWindow *>(w))
            found << m;
    }
    return found;
}

// Makes the user folders below "Data/User" (the root alone for an empty list).
void make_users(const QStringList &names)
{
    QVERIFY(QDir().mkpath("Data/User"));
    for (const QString &n : names)
        QVERIFY(QDir().mkpath("Data/User/" + n));
}

QComboBox *user_box(log_page &page) { return page.findChild<QComboBox *>("comboBox"); }

QStringList items(QComboBox *box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

// The warning the page shows, if one is open.
QString shown_warning(log_page &page)
{
    for (QMessageBox *box : page.findChildren<QMessageBox *>()) {
        if (box->isVisible())
            return box->text();
    }
    return QString();
}

// The add-user window on screen, if one is.
add_user *open_add_user_window()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *a = qobject_cast<add_user *>(w); a && a->isVisible())
            return a;
    }
    return nullptr;
}

void click(log_page &page, const char *name)
{
    auto *button = page.findChild<QPushButton *>(name);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class test_login : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        app_state::startup_analysis_path.clear();
        // Run screens are never deleted by the program; each case starts without one.
        qDeleteAll(run_screens());
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
    }

    void form_matches_the_page()
    {
        temp_workdir dir;
        log_page page;
        QCOMPARE(page.windowTitle(), QString("Quelvarin Controller - Log-in"));
        QCOMPARE(page.minimumSize(), QSize(310, 272));
        QCOMPARE(page.maximumSize(), QSize(310, 272));
        QVERIFY(!(page.windowFlags() & Qt::WindowMinimizeButtonHint) && (page.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(page.findChild<QLabel *>("version")->text(), QString("V 2.4"));
        QVERIFY(!user_box(page)->isEnabled());  // no "Data/User"
    }

    void remembered_user_logs_in_at_once()
    {
        temp_workdir dir;
        make_users({"Ann", "Bob"});
        dir.write_file("Libraries/Config.txt", config("Bob", "1"));

        auto page = std::make_unique<log_page>();
        QVERIFY(app_state::user_saved);
        QCOMPARE(app_state::saved_user, QString("Bob"));
        QCOMPARE(run_screens().size(), 1);
        QCOMPARE(page->run_screen(), run_screens().first());
        QVERIFY(page->run_screen()->isVisible());
        QCOMPARE(user_box(*page)->currentText(), QString("Bob"));
        QCOMPARE(dir.read_file("Libraries/Config.txt"), config("Bob", "1"));
        // Every listed user's folder gets the subfolders it lacks.
        QCOMPARE(QDir("Data/User/Ann").entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 (QStringList{"Analysis", "Experiments", "Plots", "Protocols"}));

        page->show();  // as main does; the 1 ms timer closes it again
        QTRY_VERIFY_WITH_TIMEOUT(!page->isVisible(), 2000);
        QVERIFY(page->run_screen()->isVisible());
    }

    // Started with another user's analysis file, the analysis screen is the remembered user's from the start.
    void command_line_analysis_opens_for_the_remembered_user()
    {
        temp_workdir dir;
        make_users({"Ann", "Bob"});
        dir.write_file("Libraries/Config.txt", config("Bob", "1"));
        analysis_file ann_file;
        ann_file.ch1 = {{0.1, 1.0}, {0.2, 2.0}, {0.1, 1.5}};
        dir.write_file("Data/User/Ann/Analysis/peaks.qva", write_analysis_file(ann_file));
        app_state::startup_analysis_path = QDir::current().filePath("Data/User/Ann/Analysis/peaks.qva");

        log_page page;
        qv_analysis_window *screen = page.run_screen()->analysis_screen();
        QVERIFY(screen);
        // The file's row, and the analysis of its cycle that the hand-over makes, which names Bob.
        QCOMPARE(screen->findChild<QListWidget *>("recent_analyses")->count(), 2);
        QCOMPARE(screen->analyses().record(1).details.last(), QString("User:Bob"));
        QCOMPARE(screen->findChild<QComboBox *>("user_box")->currentText(), QString("Bob"));
        QCOMPARE(screen->analysis_folder(), QString("Data/User/Bob/Analysis"));
    }

    void no_automatic_log_in_after_log_out()
    {
        temp_workdir dir;
        make_users({"Ann"});
        dir.write_file("Libraries/Config.txt", config("Ann", "1"));
        auto first = std::make_unique<log_page>();
        QCOMPARE(run_screens().size(), 1);

        // What "Log Out" on the run screen leaves behind.
        dir.write_file("Libraries/Config.txt", config("Log Out", "-1"));
        auto second = std::make_unique<log_page>();
        QVERIFY(!app_state::user_saved);
        QVERIFY(app_state::saved_user.isEmpty());
        QCOMPARE(second->run_screen(), nullptr);
        QCOMPARE(run_screens().size(), 1);
        second->show();
        QTest::qWait(30);
        QVERIFY(second->isVisible());

        // A page that cannot read the file at all must not reuse an earlier page's answer either.
        QVERIFY(QFile::remove("Libraries/Config.txt"));
        dir.write_file("Libraries/Config.txt", config("Ann", "1"));
        auto third = std::make_unique<log_page>();
        QCOMPARE(run_screens().size(), 2);
        QVERIFY(QFile::remove("Libraries/Config.txt"));
        auto fourth = std::make_unique<log_page>();
        QVERIFY(!app_state::user_saved);
        QCOMPARE(fourth->run_screen(), nullptr);
        QCOMPARE(run_screens().size(), 2);
        QVERIFY(!QFileInfo::exists("Libraries/Config.txt"));  // reading never creates it
    }

    void export_under_the_user_root_is_never_a_user()
    {
        // An ".xls" export is proposed right under "Data/User"; a start that remembers it (as an older
        // listing let it be chosen) logs in the real user and makes no folder for the file.
        temp_workdir dir;
        make_users({"Bob"});
        dir.write_file("Data/User/Analysis_1.xls", "exported text");
        dir.write_file("Libraries/Config.txt", config("Analysis_1.xls", "1"));
        log_page page;
        QCOMPARE(items(user_box(page)), QStringList{"Bob"});
        QCOMPARE(run_screens().size(), 1);
        QCOMPARE(dir.read_file("Libraries/Config.txt"), config("Bob", "1"));
        QCOMPARE(dir.read_file("Data/User/Analysis_1.xls"), QByteArray("exported text"));
    }

    void user_name_beyond_ascii_is_remembered_whole()
    {
        temp_workdir dir;
        const QString name = QString::fromUtf8("Zeyn\xc3\xa9p \xc2\xb5");  // "Zeynép µ"
        make_users({"Ann", name});
        dir.write_file("Libraries/Config.txt", config(name.toUtf8(), "1"));
        log_page page;
        QCOMPARE(run_screens().size(), 1);
        QCOMPARE(user_box(page)->currentText(), name);
        QCOMPARE(dir.read_file("Libraries/Config.txt"), config(name.toUtf8(), "1"));
        for (const char *sub : {"Analysis", "Experiments", "Plots", "Protocols"})
            QVERIFY2(QFileInfo("Data/User/" + name + "/" + sub).isDir(), sub);  // existing folder completed
    }

    void remembered_user_without_users_keeps_the_page()
    {
        temp_workdir dir;
        make_users({});
        dir.write_file("Libraries/Config.txt", config("Ann", "1"));
        log_page page;
        QVERIFY(app_state::user_saved);
        QVERIFY(run_screens().isEmpty());
        page.show();
        QTest::qWait(30);
        QVERIFY(page.isVisible());
    }

    void remembered_name_in_other_case_logs_in_first_user()
    {
        temp_workdir dir;
        make_users({"Ann", "bob"});
        dir.write_file("Libraries/Config.txt", config("Bob", "1"));
        log_page page;
        QCOMPARE(run_screens().size(), 1);
        QCOMPARE(user_box(page)->currentText(), QString("Ann"));
        QCOMPARE(dir.read_file("Libraries/Config.txt"), config("Ann", "1"));
    }

    void added_user_is_handed_over_by_its_sorted_place()
    {
        temp_workdir dir;
        make_users({"Bob", "Cem/Plots"});
        dir.write_file("Data/User/Bob/keep.txt", "mine");
        dir.write_file("Libraries/Config.txt", config("Log Out", "-1"));
        log_page page;
        QVERIFY(run_screens().isEmpty());
        page.add_done("aaron");
        QCOMPARE(items(user_box(page)), (QStringList{"Bob", "Cem", "aaron"}));
        QCOMPARE(user_box(page)->currentIndex(), 2);
        QVERIFY(!QFileInfo::exists("Data/User/aaron"));  // made at log-in, not before

        QList<int> handed;  // a spy cannot hold a uint8_t argument
        connect(&page, &log_page::current_user, this, [&handed](uint8_t i) { handed << i; });
        click(page, "pushButton");
        QCOMPARE(run_screens().size(), 1);
        QVERIFY(run_screens().first()->isVisible());
        QVERIFY(!page.isVisible());
        QCOMPARE(handed, QList<int>{0});  // "aaron" sorts first
        QCOMPARE(dir.read_file("Libraries/Config.txt"), config("aaron", "1"));

        for (const char *sub : {"Analysis", "Experiments", "Plots", "Protocols"})
            QVERIFY2(QFileInfo(QString("Data/User/aaron/") + sub).isDir(), sub);
        // Existing folders are completed and keep what they held.
        QCOMPARE(QDir("Data/User/Bob").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"Analysis", "Experiments", "keep.txt", "Plots", "Protocols"}));
        QCOMPARE(QDir("Data/User/Cem").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"Analysis", "Experiments", "Plots", "Protocols"}));
    }

    void a_page_makes_one_run_screen_however_often_pressed()
    {
        temp_workdir dir;
        make_users({"Ann"});
        dir.write_file("Libraries/Config.txt", config("Ann", "1"));
        log_page page;  // logged in at once; its close is still pending
        page.show();
        for (int press = 0; press < 2; ++press)
            QTest::keyClick(page.findChild<QPushButton *>("pushButton"), Qt::Key_Return);
        QCOMPARE(run_screens().size(), 1);
        QCOMPARE(page.run_screen(), run_screens().first());
    }

    void refused_names_get_a_message()
    {
        temp_workdir dir;
        make_users({"Ann"});
        log_page page;
        page.show();
        const QStringList refused{"Log Out", "ann", " Ann ", "   ", "..", "a/b", "x\ty", "0xffrecentuser",
                                  "itiscoming_protocol", "go_to_protocols_configure"};
        for (const QString &name : refused) {
            page.add_done(name);
            QVERIFY2(!shown_warning(page).isEmpty(), qPrintable(name));
            QCOMPARE(items(user_box(page)), QStringList{"Ann"});
            qDeleteAll(page.findChildren<QMessageBox *>());
        }
        // Through the add-user window: a good name is added without the blanks around it and made current.
        click(page, "pushButton_2");
        add_user *window = open_add_user_window();
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QString("Add New User"));
        window->findChild<QLineEdit *>("lineEdit")->setText(" Zed  ");
        QTest::mouseClick(window->findChild<QPushButton *>("pushButton"), Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QCOMPARE(items(user_box(page)), (QStringList{"Ann", "Zed"}));
        QCOMPARE(user_box(page)->currentText(), QString("Zed"));
        QVERIFY(shown_warning(page).isEmpty());
        delete window;
    }

    void add_user_box_takes_the_name_at_once()
    {
        temp_workdir dir;
        make_users({"Ann"});
        log_page page;
        page.move(420, 310);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        click(page, "pushButton_2");
        add_user *window = open_add_user_window();
        QVERIFY(window);
        // Over the log-in page, with the name field ready for typing; Enter adds the name.
        QVERIFY2(page.frameGeometry().contains(window->frameGeometry().center()),
                 qPrintable(QString("%1,%2").arg(window->x()).arg(window->y())));
        auto *field = window->findChild<QLineEdit *>("lineEdit");
        QCOMPARE(window->focusWidget(), field);
        QTest::keyClicks(window->focusWidget(), QString::fromUtf8("\xc3\x89lif"));  // "Élif"
        QTest::keyClick(window->focusWidget(), Qt::Key_Return);
        QVERIFY(!window->isVisible());
        QCOMPARE(items(user_box(page)), (QStringList{"Ann", QString::fromUtf8("\xc3\x89lif")}));
        delete window;
    }

    void archive_moves_the_folder_and_unlists_the_user()
    {
        temp_workdir dir;
        make_users({"Ann/Experiments", "Bob"});
        dir.write_file("Data/User/Ann/Experiments/a.qve", "data");
        QVERIFY(!QFileInfo::exists("Data/Archive")); // a fresh installation: the archive folder is made
        log_page page;
        user_box(page)->setCurrentIndex(0);
        click(page, "pushButton_3");
        QCOMPARE(items(user_box(page)), QStringList{"Bob"});
        QVERIFY(!QFileInfo::exists("Data/User/Ann"));
        QCOMPARE(dir.read_file("Data/Archive/Ann/Experiments/a.qve"), QByteArray("data"));
        QVERIFY(shown_warning(page).isEmpty());

        // The last one leaves an empty, disabled box, and Log In then does nothing.
        click(page, "pushButton_3");
        QVERIFY(QFileInfo("Data/Archive/Bob").isDir()); // into the archive that now exists
        QCOMPARE(user_box(page)->count(), 0);
        QVERIFY(!user_box(page)->isEnabled());
        click(page, "pushButton");
        QVERIFY(run_screens().isEmpty());
    }

    void failed_archive_keeps_the_user()
    {
        temp_workdir dir;
        make_users({"Ann"});
        dir.write_file("Data/User/Ann/keep.txt", "mine");
        // "Data/Archive" taken by a plain file: the archive folder cannot be made.
        dir.write_file("Data/Archive", "not a folder");
        log_page page;
        page.show();
        const slot_warning_guard terminal;
        click(page, "pushButton_3");
        QCOMPARE(items(user_box(page)), QStringList{"Ann"});
        QVERIFY(user_box(page)->isEnabled());
        QCOMPARE(dir.read_file("Data/User/Ann/keep.txt"), QByteArray("mine"));
        QVERIFY(shown_warning(page).contains("Ann"));
        qDeleteAll(page.findChildren<QMessageBox *>());

        // Target already archived once: refused as well.
        QVERIFY(QFile::remove("Data/Archive"));
        QVERIFY(QDir().mkpath("Data/Archive/Ann"));
        click(page, "pushButton_3");
        QCOMPARE(items(user_box(page)), QStringList{"Ann"});
        QVERIFY(!shown_warning(page).isEmpty());
        QVERIFY(QDir("Data/Archive/Ann").isEmpty());
        QCOMPARE(terminal.warnings().filter("Ann"), QStringList());  // the user is told; the terminal is not
    }

    void deleting_a_user_never_logged_in_moves_nothing()
    {
        temp_workdir dir;
        make_users({});
        log_page page;
        page.add_done("New");
        click(page, "pushButton_3");
        QCOMPARE(user_box(page)->count(), 0);
        QVERIFY(!QFileInfo::exists("Data/Archive"));
        QVERIFY(shown_warning(page).isEmpty());
    }

    void select_user_sends_the_chosen_name()
    {
        select_user window;
        QCOMPARE(window.windowTitle(), QString("Select User"));
        QCOMPARE(window.minimumSize(), QSize(195, 62));
        QSignalSpy sent(&window, &select_user::user_send);
        window.update_user("Ann");
        window.update_user("Bob");
        window.findChild<QComboBox *>("user_name")->setCurrentIndex(1);
        window.show();
        QTest::mouseClick(window.findChild<QPushButton *>("select"), Qt::LeftButton);
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.first().first().toString(), QString("Bob"));
        QVERIFY(!window.isVisible());

        select_user other;
        QSignalSpy none(&other, &select_user::user_send);
        other.show();
        QTest::mouseClick(other.findChild<QPushButton *>("cancel"), Qt::LeftButton);
        QCOMPARE(none.count(), 0);
        QVERIFY(!other.isVisible());
    }

    void every_named_picture_is_readable()
    {
        const QString root = QStringLiteral(RZ410_RUNTIME_DIR);
        QStringList pictures{"Libraries/icons/QV_icons/qv256.ico", "Libraries/icons/Link80.png",
                             "Libraries/icons/Unlink80.png", "Libraries/icons/Warning400.png",
                             "icons/Warning400.png", "icons/tevrakov_logo_sun.png"};
        for (const char *tool : {"Start", "Stop", "Open", "Save", "Excel", "Center", "Image", "Report", "Settings",
                                 "Analyze", "Run", "Overlay", "SingleLay", "Hide", "Show", "Color", "Delete"})
            pictures << QString("icons/") + tool + "80.png";
        for (const QString &p : pictures) {
            QImageReader reader(root + "/" + p);
            const QImage image = reader.read();
            QVERIFY2(!image.isNull(), qPrintable(p + ": " + reader.errorString()));
            if (p.endsWith("80.png"))
                QCOMPARE(image.size(), QSize(80, 80));
        }
    }
};

QTEST_MAIN(test_login)
#include "login_test.moc"
