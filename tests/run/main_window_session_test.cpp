// The run screen with the windows around it: closing with unsaved experiments, logging out, the settings box,
// the user chooser, the About box and the hand-over to the analysis screen, with simulated instruments where
// the bytes on the wire matter.
#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QScreen>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QToolButton>
#include <functional>
#include <memory>
#include <vector>

#include "analysis/qv_analysis_window.h"
#include "dialogs/about_dialog_box.h"
#include "dialogs/dialog_warning_save_data.h"
#include "instrument/commands.h"
#include "instrument/instrument_link.h"
#include "platform/screen_metrics.h"
#include "plot/qcp_compat.h"
#include "run/log_page.h"
#include "run/mainwindow.h"
#include "shell/app_state.h"
#include "shell/select_user.h"
#include "shell/settings_box.h"
#include "run_test_fixtures.h"
#include "support/listed_ports.h"
#include "support/sim_instrument.h"
#include "support/temp_workdir.h"

namespace {
using namespace run_fixtures;


const char config_path[] = "Libraries/Config.txt";

QByteArray config_text(const QStringList &lines)
{
    QByteArray text;
    for (const QString &line : lines)
        text += line.toUtf8() + "\r\n";
    return text;
}

// A working folder with the users Ann and Bob and a full settings file remembering `user`.
void prepare_users(const temp_workdir &wd, const QString &user = "Ann")
{
    for (const char *name : {"Ann", "Bob"})
        QVERIFY(QDir(wd.path()).mkpath(QStringLiteral("Data/User/%1/Experiments").arg(name)));
    wd.write_file(config_path, config_text({user, "1", "", "1", "0", "4", "1", "Pearson's RR", "1", "0", "1", "1",
                                            "1", "1", "1", "7", "3"}));
}

QStringList config_lines(const temp_workdir &wd)
{
    QStringList lines = QString::fromUtf8(wd.read_file(config_path)).split("\r\n");
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void add_experiment(MainWindow &w, const QString &name, bool saved, const QString &method = "Cyclic Voltammetry")
{
    add_listed_experiment(w, name, method).saved = saved ? 1 : 0;
}

void click(QObject &window, const char *button) { child<QPushButton>(window, button)->click(); }

// Answers the open unsaved-data warning: "Exit and Discard Unsaved Data", or Cancel.
void answer_warning(bool discard)
{
    auto *warning = visible_window<dialog_warning_save_data>();
    QVERIFY(warning);
    click(*warning, discard ? "pushButton" : "pushButton_3");
}

// Each emission's first argument, as text.
QStringList first_arguments(const QSignalSpy &spy)
{
    QStringList texts;
    for (const QList<QVariant> &args : spy)
        texts << args.at(0).toString();
    return texts;
}

// Counts the close requests a window receives.
class close_counter : public QObject {
public:
    int closes = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        closes += event->type() == QEvent::Close ? 1 : 0;
        return false;
    }
};

settings_box *open_settings(MainWindow &w)
{
    w.on_settings_clicked();
    return visible_window<settings_box>();
}
}  // namespace

class main_window_session_test : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        MainWindow::set_link_timeouts(connect_timeout_ms, startup_timeout_ms, watch_interval_ms);
        // The spies below are made before any window registers the signals' argument types.
        qRegisterMetaType<int8_t>("int8_t");
        qRegisterMetaType<curve>("curve");
    }
    void init()
    {
        wd = std::make_unique<temp_workdir>();
        prepare_users(*wd);
    }
    void cleanup();

    void log_out_and_close_wait_for_the_warning_and_tell_the_instrument_once();
    void reset_all_then_save_writes_the_seventeen_lines_and_the_screen_applies_them();
    void settings_box_is_fed_and_choosing_an_instrument_switches_like_the_device_box();
    void a_run_keeps_the_settings_box_shut_and_a_close_stops_it_first();
    void about_box_and_hand_over_name_the_connected_instrument();
    void hand_over_sends_cyclic_records_users_and_state_then_comes_back();
    void user_chooser_and_analysis_screen_change_the_user_and_a_saved_log_out_goes_at_once();
    void command_line_analysis_document_goes_to_the_analysis_screen();
    void boxes_open_over_the_run_screen_data();
    void boxes_open_over_the_run_screen();

private:
    std::unique_ptr<temp_workdir> wd;
};

void main_window_session_test::cleanup()
{
    qunsetenv("RZ410_EXTRA_PORTS");
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (!qobject_cast<MainWindow *>(top) && top->isVisible())
            top->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    wd.reset();
}

void main_window_session_test::log_out_and_close_wait_for_the_warning_and_tell_the_instrument_once()
{
    prepare_users(*wd, "Bob");
    sim_instrument a(7);
    list_ports({&a});
    MainWindow w;
    w.set_current_user(1);
    w.show();
    settle();
    add_experiment(w, "unsaved", false);
    a.clear_received();
    auto *users = child<QComboBox>(w, "user_box");
    QCOMPARE(users->currentText(), QStringLiteral("Bob"));

    for (int refusal = 0; refusal < 2; ++refusal) {
        users->setCurrentIndex(users->findText("Log Out"));
        QVERIFY(visible_window<dialog_warning_save_data>());
        // Kept: the same user, the same file, the instrument still connected.
        QVERIFY(w.isVisible());
        QCOMPARE(users->currentText(), QStringLiteral("Bob"));
        QCOMPARE(config_lines(*wd).mid(0, 2), (QStringList{"Bob", "1"}));
        QVERIFY(w.instrument() && w.instrument()->is_connected());
        answer_warning(false);
    }
    settle();
    QVERIFY(a.received().isEmpty());
    QVERIFY(visible_windows<log_page>().isEmpty());

    users->setCurrentIndex(users->findText("Log Out"));
    answer_warning(true);
    settle();

    QVERIFY(!w.isVisible());
    QTRY_COMPARE(a.received(), burst(close_command));
    QCOMPARE(visible_windows<log_page>().size(), 1);
    QCOMPARE(config_lines(*wd).mid(0, 2), (QStringList{"Log Out", "-1"}));
    QCOMPARE(config_lines(*wd).size(), 17);

    // Closing the closed window again changes nothing.
    w.close();
    settle();
    QCOMPARE(a.received(), burst(close_command));
    QCOMPARE(visible_windows<log_page>().size(), 1);

    // The next log-in's window has the instrument and asks again before closing over unsaved experiments:
    // two refusals, then a confirmation, give one close command, no log-in page and no settings change.
    log_page *page = visible_window<log_page>();
    click(*page, "pushButton");
    std::unique_ptr<MainWindow> next(page->run_screen());
    QVERIFY(next);
    QVERIFY(next->isVisible());
    QVERIFY(next->instrument() && next->instrument()->is_connected());
    add_experiment(*next, "unsaved too", false);
    settle();
    a.clear_received();
    const QStringList config_before = config_lines(*wd);
    for (int refusal = 0; refusal < 2; ++refusal) {
        QVERIFY(!next->close());
        QVERIFY(next->isVisible());
        auto *warning = visible_window<dialog_warning_save_data>();
        QVERIFY(warning);
        QCOMPARE(warning->windowModality(), Qt::ApplicationModal);
        answer_warning(false);
        QVERIFY(!warning->isVisible());
    }
    settle();
    QVERIFY(a.received().isEmpty());
    QVERIFY(!next->close());
    auto *warning = visible_window<dialog_warning_save_data>();
    // However often the warning was shown, its answer reaches the window once: one close follows it.
    close_counter counter;
    next->installEventFilter(&counter);
    answer_warning(true);
    settle();
    QCOMPARE(counter.closes, 1);
    QVERIFY(!next->isVisible() && !warning->isVisible());
    QTRY_COMPARE(a.received(), burst(close_command));
    QVERIFY(visible_windows<log_page>().isEmpty());
    QVERIFY(!next->instrument());  // the closed window lets its ports and link go
    QCOMPARE(config_lines(*wd), config_before);
}

void main_window_session_test::reset_all_then_save_writes_the_seventeen_lines_and_the_screen_applies_them()
{
    prepare_users(*wd, "Bob");
    sim_instrument a(31);
    list_ports({&a});
    MainWindow w;
    w.set_current_user(1);
    settle();

    settings_box *box = open_settings(w);
    QVERIFY(box);
    click(*box, "resetall");
    click(*box, "pushButton_3");
    settle();
    QVERIFY(visible_windows<settings_box>().isEmpty());
    // The first user, the first instrument, both channels, the first item of every list, and the
    // image type (1), quiet time (7) and filter (3) kept from the file.
    QCOMPARE(config_lines(*wd), (QStringList{"Ann", "1", "RZ410-K260531", "1", "1", "0", "0", "Tangent", "0", "0",
                                            "1", "0", "0", "0", "0", "7", "3"}));

    // The run screen took lines 3, 4, 5, 6, 9 and 16.
    QVERIFY(child<QCheckBox>(w, "Channel_WE1")->isChecked());
    QVERIFY(child<QCheckBox>(w, "Channel_WE2")->isChecked());
    QCOMPARE(child<QComboBox>(w, "Current_Range")->currentIndex(), 0);
    QCOMPARE(child<QComboBox>(w, "Method")->currentIndex(), 0);
    QVERIFY(!child<QToolButton>(w, "Open_Experiment_5")->isChecked());
    // The list selects as the view says at once, though it has no row yet.
    auto *list = child<QListWidget>(w, "listWidget");
    QCOMPARE(list->selectionMode(), QAbstractItemView::MultiSelection);
    QVERIFY(child<QAction>(w, "action1Hz")->isChecked());

    // No instrument listed: line 2 is empty, never "-1", and the connection stays as it is.
    a.clear_received();
    settings_box *emptied = open_settings(w);
    QVERIFY(emptied);
    child<QComboBox>(*emptied, "Port")->clear();
    child<QComboBox>(*emptied, "Plot_Mode")->setCurrentIndex(1);
    click(*emptied, "pushButton_3");
    settle();
    const QStringList lines = config_lines(*wd);
    QCOMPARE(lines.size(), 17);
    QCOMPARE(lines.at(2), QString());
    QVERIFY(!lines.contains("-1"));
    QCOMPARE(lines.at(9), QStringLiteral("1"));
    QVERIFY(child<QToolButton>(w, "Open_Experiment_5")->isChecked());
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(a.received().isEmpty());
    QVERIFY(w.instrument()->is_connected());
}

void main_window_session_test::settings_box_is_fed_and_choosing_an_instrument_switches_like_the_device_box()
{
    prepare_users(*wd, "Bob");
    sim_instrument a(21), b(22);
    list_ports({&a, &b});
    MainWindow w;
    w.set_current_user(1);
    settle();
    QCOMPARE(w.instrument()->device_count(), uint8_t(2));
    QCOMPARE(w.instrument()->current_device_index(), 0);
    a.clear_received();
    b.clear_received();

    QSignalSpy fed(&w, &MainWindow::settings_user);
    settings_box *box = open_settings(w);
    QVERIFY(box);
    QCOMPARE(box->windowModality(), Qt::ApplicationModal);
    QCOMPARE(first_arguments(fed), (QStringList{"Ann", "itiscoming_protocol", "Bob", "go_to_protocols_configure"}));
    auto *user = child<QComboBox>(*box, "User");
    QCOMPARE(user->count(), 2);
    QCOMPARE(user->itemText(0), QStringLiteral("Ann"));
    QCOMPARE(user->currentText(), QStringLiteral("Bob"));
    auto *port = child<QComboBox>(*box, "Port");
    QCOMPARE(port->count(), 2);
    QCOMPARE(port->itemText(0), QStringLiteral("RZ410-K260521"));
    QCOMPARE(port->itemText(1), QStringLiteral("RZ410-K260522"));
    // The file's values are in the box.
    QCOMPARE(child<QSpinBox>(*box, "quiet_time")->value(), 7);
    QCOMPARE(child<QComboBox>(*box, "Current_Range")->currentIndex(), 4);

    // A second box is fed afresh; the first one, gone, hears nothing more.
    click(*box, "cancel");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    box = open_settings(w);
    QVERIFY(box);
    QCOMPARE(child<QComboBox>(*box, "User")->count(), 2);
    QCOMPARE(child<QComboBox>(*box, "Port")->count(), 2);
    child<QComboBox>(*box, "Port")->setCurrentIndex(1);
    click(*box, "pushButton_3");
    settle();
    QTRY_COMPARE(b.received(), burst(connect_command));
    QTRY_COMPARE(a.received(), burst(close_command));
    QCOMPARE(w.instrument()->current_device_index(), 1);
    QCOMPARE(w.instrument()->current_device_id(), uint8_t(22));
    QCOMPARE(w.device_display_name(), QStringLiteral("RZ410-K260522"));
    QCOMPARE(config_lines(*wd).at(2), QStringLiteral("RZ410-K260522"));

    // The instrument already connected, and indexes the table does not hold, change nothing.
    a.clear_received();
    b.clear_received();
    box = open_settings(w);
    QVERIFY(box);
    child<QComboBox>(*box, "Port")->setCurrentIndex(1);
    click(*box, "pushButton_3");
    w.settings_closed(2);
    w.settings_closed(int8_t(127));
    w.settings_closed(int8_t(-1));
    settle();
    QVERIFY(a.received().isEmpty() && b.received().isEmpty());
    QCOMPARE(w.instrument()->current_device_index(), 1);

    // A box saved without touching the port shows and keeps the instrument in use.
    a.clear_received();
    b.clear_received();
    box = open_settings(w);
    QVERIFY(box);
    QCOMPARE(child<QComboBox>(*box, "Port")->currentIndex(), 1);
    click(*box, "pushButton_3");
    settle();
    QTest::qWait(4 * watch_interval_ms);
    QVERIFY(a.received().isEmpty() && b.received().isEmpty());
    QCOMPARE(w.instrument()->current_device_index(), 1);
    QCOMPARE(config_lines(*wd).at(2), QStringLiteral("RZ410-K260522"));
}

void main_window_session_test::a_run_keeps_the_settings_box_shut_and_a_close_stops_it_first()
{
    sim_instrument a(3);
    a.set_speed_up(0.01);  // a slow run: it must still be going when the window closes
    list_ports({&a});
    MainWindow w;
    w.show_run_error = [](const QString &title, const QString &text) { QFAIL(qPrintable(title + ": " + text)); };
    w.show();
    settle();
    child<QToolButton>(w, "Start")->click();
    settle();
    QVERIFY(w.run_in_progress());
    QTRY_VERIFY(a.running());
    QVERIFY(!child<QToolButton>(w, "settings")->isEnabled());

    QVERIFY(!open_settings(w));
    w.on_settings_clicked();
    QVERIFY(visible_windows<settings_box>().isEmpty());

    a.clear_received();
    QVERIFY(!w.close());  // the running experiment is unsaved
    QVERIFY(w.run_in_progress());
    answer_warning(false);
    settle();
    QVERIFY(a.received().isEmpty());
    QVERIFY(w.run_in_progress());

    QVERIFY(!w.close());
    answer_warning(true);
    settle();
    QVERIFY(!w.run_in_progress());
    QTRY_COMPARE(a.received(), burst(stop_command) + burst(close_command));
}

void main_window_session_test::about_box_and_hand_over_name_the_connected_instrument()
{
    {
        MainWindow w;
        w.show();
        child<QAction>(w, "actionAbout")->trigger();
        auto *box = visible_window<About_Dialog_Box>();
        QVERIFY(box);
        QCOMPARE(child<QLabel>(*box, "id")->text(), QString());
        box->close();
        // Everything saved and no instrument: a plain close asks nothing and opens no log-in page.
        add_experiment(w, "saved", true);
        QVERIFY(w.close());
        QVERIFY(visible_window<dialog_warning_save_data>() == nullptr);
        QVERIFY(visible_windows<log_page>().isEmpty());
    }
    sim_instrument a(0), b(14);
    list_ports({&a, &b});
    MainWindow w;
    settle();
    QCOMPARE(w.instrument()->device_count(), uint8_t(2));
    child<QAction>(w, "actionAbout")->trigger();
    auto *first = visible_window<About_Dialog_Box>();
    QVERIFY(first);
    QCOMPARE(child<QLabel>(*first, "id")->text(), QStringLiteral("K260500"));

    // After a switch a new box names the new instrument, and the open one keeps what it showed.
    w.qv_select(1);
    settle();
    child<QAction>(w, "actionAbout")->trigger();
    const QList<About_Dialog_Box *> boxes = visible_windows<About_Dialog_Box>();
    QCOMPARE(boxes.size(), 2);
    About_Dialog_Box *second = boxes.at(0) == first ? boxes.at(1) : boxes.at(0);
    QCOMPARE(child<QLabel>(*second, "id")->text(), QStringLiteral("K260514"));
    QCOMPARE(child<QLabel>(*first, "id")->text(), QStringLiteral("K260500"));

    // The hand-over names the connected instrument as the connection state.
    QSignalSpy state(&w, &MainWindow::to_analysis);
    w.on_To_Analysis_Screen_Button_clicked();
    QCOMPARE(first_arguments(state), QStringList{"RZ410-K260514"});

    // While the analysis screen stands in front, its device box follows a switch and an unplug; the user and a
    // name typed in stay as they are.
    qv_analysis_window *screen = w.analysis_screen();
    auto *device = child<QComboBox>(*screen, "comboBox_2");
    auto *name = child<QLineEdit>(*screen, "analysis_name");
    name->setText("typed");
    const QString user = child<QComboBox>(*screen, "user_box")->currentText();
    w.qv_select(0);
    QCOMPARE(device->currentText(), QStringLiteral("RZ410-K260500"));
    unplug_and_unlist(a);
    QTRY_COMPARE_WITH_TIMEOUT(device->currentText(), QStringLiteral("Disconnected"), 30000);
    QCOMPARE(name->text(), QStringLiteral("typed"));
    QCOMPARE(child<QComboBox>(*screen, "user_box")->currentText(), user);
    screen->close();
}

void main_window_session_test::hand_over_sends_cyclic_records_users_and_state_then_comes_back()
{
    prepare_users(*wd, "Bob");
    MainWindow w;
    w.set_current_user(1);
    w.move(40, 30);
    w.setFixedSize(400, 300);  // the test screen is smaller than the form: room to go where the analysis screen stood
    w.show();
    add_experiment(w, "cv_a", true);
    add_experiment(w, "chrono_b", true, "Chronoamperometry");
    add_experiment(w, "cv_c", false);
    child<QListWidget>(w, "listWidget")->setCurrentRow(2);

    QSignalSpy records(&w, &MainWindow::pass_to_analysis);
    QSignalSpy users(&w, &MainWindow::pass_user_from_experiment);
    QSignalSpy state(&w, &MainWindow::to_analysis);
    QSignalSpy user_row(&w, &MainWindow::current_user_to_analysis);
    QSignalSpy chosen(&w, &MainWindow::current_exp_index);
    QSignalSpy done(&w, &MainWindow::send_done);
    child<QToolButton>(w, "To_Analysis_Screen_Button")->click();

    QStringList names;
    for (const QList<QVariant> &args : records)
        names << args.at(0).value<curve>().name;
    QCOMPARE(names, (QStringList{"cv_a", "cv_c"}));
    QCOMPARE(done.count(), 1);
    QCOMPARE(first_arguments(users), (QStringList{"Ann", "0xffrecentuser\tBob", "Log Out"}));
    QCOMPARE(first_arguments(state), QStringList{"disconnected"});
    QCOMPARE(first_arguments(user_row), QStringList{"1"});
    // The current row is the second experiment handed over.
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).value<int8_t>(), int8_t(1));
    QCOMPARE(child<QComboBox>(w, "user_box")->currentText(), QStringLiteral("Bob"));

    QPointer<qv_analysis_window> screen = w.analysis_screen();
    QVERIFY(screen);
    QVERIFY(screen->isVisible());
    QVERIFY(!w.isVisible());
    QCOMPARE(screen->experiment_count(), 2);
    QCOMPARE(screen->experiment(1).name, QStringLiteral("cv_c"));
    QCOMPARE(child<QComboBox>(*screen, "comboBox_2")->currentText(), QStringLiteral("Disconnected"));
    QCOMPARE(child<QComboBox>(*screen, "Experiment_2B_Analyzed")->currentText(), QStringLiteral("cv_c"));
    QCOMPARE(child<QComboBox>(*screen, "user_box")->currentText(), QStringLiteral("Bob"));
    settle(20);
    QVERIFY(!w.isVisible());

    // The settings box asked for there opens over the analysis screen, not where the hidden run screen stood.
    // The test screen is narrower than the box, so only its height can show the centring.
    screen->setFixedSize(400, 300);
    screen->move(300, 100);
    child<QToolButton>(*screen, "settings")->click();
    auto *box = visible_window<settings_box>();
    QVERIFY(box);
    const QRect over = screen->frameGeometry(), frame = box->frameGeometry();
    QVERIFY2(qAbs((frame.top() - over.top()) - (over.bottom() - frame.bottom())) <= 1,
             qPrintable(QStringLiteral("box top %1").arg(frame.top())));
    box->close();

    // Back: the run screen comes up where the analysis screen stood, and that window goes.
    screen->move(120, 90);
    screen->close();
    QVERIFY(w.isVisible());
    QCOMPARE(w.pos(), screen->pos());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!screen);
    QVERIFY(!w.analysis_screen());
    // The hide timer of the visit does not hide the window again.
    settle(20);
    QVERIFY(w.isVisible());

    // No current row, or a current row of another method: no experiment is asked for.
    for (int row : {-1, 1}) {
        child<QListWidget>(w, "listWidget")->setCurrentRow(row);
        w.on_To_Analysis_Screen_Button_clicked();
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(w.analysis_screen()->experiment_count(), 2);
        w.analysis_screen()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // An analysis window left partly off the screen hands back a run screen wholly on it, as near as it fits.
    const QRect screen_area = QGuiApplication::primaryScreen()->availableGeometry();
    w.on_To_Analysis_Screen_Button_clicked();
    w.analysis_screen()->move(screen_area.bottomRight() - QPoint(100, 100));
    w.analysis_screen()->close();
    QVERIFY(w.isVisible());
    QVERIFY2(screen_area.contains(w.frameGeometry()), qPrintable(QStringLiteral("%1,%2").arg(w.x()).arg(w.y())));
    QCOMPARE(w.frameGeometry().bottomRight(), screen_area.bottomRight());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void main_window_session_test::user_chooser_and_analysis_screen_change_the_user_and_a_saved_log_out_goes_at_once()
{
    sim_instrument a(8);
    list_ports({&a});
    MainWindow w;
    w.show();
    settle();
    auto *users = child<QComboBox>(w, "user_box");
    QCOMPARE(users->currentText(), QStringLiteral("Ann"));

    child<QAction>(w, "actionChange_User")->trigger();
    auto *chooser = visible_window<select_user>();
    QVERIFY(chooser);
    auto *names = child<QComboBox>(*chooser, "user_name");
    QCOMPARE(names->count(), 2);
    QCOMPARE(names->itemText(1), QStringLiteral("Bob"));
    names->setCurrentIndex(1);
    click(*chooser, "select");
    QCOMPARE(users->currentText(), QStringLiteral("Bob"));
    QCOMPARE(config_lines(*wd).mid(0, 2), (QStringList{"Bob", "1"}));

    // A name that is no user, or "Log Out", changes nothing.
    w.user_select_slot("Log Out");
    w.user_select_slot("Carl");
    QCOMPARE(users->currentText(), QStringLiteral("Bob"));

    // The analysis screen names users by row; the last row is no user.
    w.select_index(0);
    QCOMPARE(users->currentText(), QStringLiteral("Ann"));
    w.select_index(2);
    w.select_index(9);
    QCOMPARE(users->currentText(), QStringLiteral("Ann"));
    QVERIFY(w.isVisible());

    // Nothing unsaved: "Log Out" goes at once, telling the instrument. A settings file that cannot be written
    // still remembers Ann: the log-in page must not log her straight back in, and says what went wrong.
    const QString config = wd->path() + '/' + config_path;
    QVERIFY(QFile::setPermissions(config, QFileDevice::ReadOwner | QFileDevice::ReadUser));
    a.clear_received();
    users->setCurrentIndex(users->findText("Log Out"));
    settle();
    QVERIFY(!w.isVisible());
    QVERIFY(visible_window<dialog_warning_save_data>() == nullptr);
    QTRY_COMPARE(a.received(), burst(close_command));
    log_page *page = visible_window<log_page>();
    QVERIFY(page);
    QVERIFY(!page->run_screen());
    QCOMPARE(visible_windows<MainWindow>().size(), 0);
    QCOMPARE(config_lines(*wd).mid(0, 2), (QStringList{"Ann", "1"}));
    const QList<QMessageBox *> told = page->findChildren<QMessageBox *>();
    QVERIFY(told.size() == 1 && told[0]->isVisible() && told[0]->text().contains("could not be saved"));
    QFile::setPermissions(config, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void main_window_session_test::command_line_analysis_document_goes_to_the_analysis_screen()
{
    wd->write_file("Data/User/Ann/Analysis/peaks.qva", "analysis\n");
    const QString document = QDir(wd->path()).filePath("Data/User/Ann/Analysis/peaks.qva");
    struct restore {
        ~restore()
        {
            app_state::startup_analysis_path.clear();
            app_state::startup_experiment_path.clear();
        }
    } restore_paths;

    // A folder, or an experiment named as well (even a missing one), opens no analysis screen.
    app_state::startup_analysis_path = QDir(wd->path()).filePath("Data/User/Ann/Analysis");
    {
        MainWindow w;
        w.set_current_user(0);
        QVERIFY(!w.analysis_screen());
    }
    app_state::startup_analysis_path = document;
    app_state::startup_experiment_path = QDir(wd->path()).filePath("missing.qve");
    {
        MainWindow w;
        w.set_current_user(0);
        QVERIFY(!w.analysis_screen());
    }

    // The analysis screen waits for the log-in to name the user.
    app_state::startup_experiment_path.clear();
    MainWindow w;
    QVERIFY(!w.analysis_screen());
    w.set_current_user(0);
    QPointer<qv_analysis_window> screen = w.analysis_screen();
    QVERIFY(screen);
    QCOMPARE(screen->startup_document(), document);
    QVERIFY(screen->isVisible());
    // The log-in page shows the run screen after building it; the hand-over's timer hides it again.
    w.show();
    QTRY_VERIFY(!w.isVisible());
    QVERIFY(screen->isVisible());
    screen->close();
    QVERIFY(w.isVisible());
}

void main_window_session_test::boxes_open_over_the_run_screen_data()
{
    QTest::addColumn<QString>("command");
    for (const char *command : {"Select Port", "close warning", "Set Axis", "About", "Settings", "Change User",
                                "Colour", "Delete", "Log Out"})
        QTest::newRow(command) << command;
}

// Where the user looks: each box centred over the run screen and wholly on the screen, and the log-in page after
// "Log Out" in the run screen's place, not wherever the window system puts a new window.
void main_window_session_test::boxes_open_over_the_run_screen()
{
    QFETCH(QString, command);
    MainWindow w;
    w.move(30, 20);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    add_experiment(w, "unsaved", false);
    child<QListWidget>(w, "listWidget")->setCurrentRow(0);
    child<QLineEdit>(w, "New_Experiment_Name")->setText("unsaved");
    const QMap<QString, std::function<void()>> commands{
        {"Select Port", [&] { child<QAction>(w, "actionChange_Port")->trigger(); }},
        {"close warning", [&] { w.close(); }},
        {"Set Axis", [&] { w.set_axis(); }},
        {"About", [&] { w.on_actionAbout_triggered(); }},
        {"Settings", [&] { w.on_settings_clicked(); }},
        {"Change User", [&] { w.user_update(); }},
        {"Colour", [&] { w.on_color_clicked(); }},
        {"Delete", [&] { w.on_Delete_Experiment_clicked(); }},
        {"Log Out", [&] {
             w.experiment_records()[0].saved = 1;
             auto *users = child<QComboBox>(w, "user_box");
             users->setCurrentIndex(users->findText("Log Out"));
         }}};
    commands.value(command)();

    QList<QWidget *> boxes;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top != &w && top->isVisible())
            boxes << top;
    }
    QCOMPARE(boxes.size(), 1);
    QWidget *box = boxes.first();
    const QRect frame = box->frameGeometry(), screen_area = QGuiApplication::primaryScreen()->availableGeometry();
    QRect expected(w.frameGeometry().topLeft(), frame.size());
    if (command != "Log Out")
        expected.moveCenter(w.frameGeometry().center());
    QVERIFY2(screen_area.contains(frame) || frame.width() > screen_area.width(), qPrintable(box->objectName()));
    // A pixel either way where a size is odd: halving rounds differently from QRect::moveCenter.
    const QPoint fitted = platform::fitted_frame_position(expected, screen_area);
    QVERIFY2((frame.topLeft() - fitted).manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1,%2 not %3,%4").arg(frame.x()).arg(frame.y()).arg(fitted.x()).arg(fitted.y())));
}

QTEST_MAIN(main_window_session_test)
#include "main_window_session_test.moc"
