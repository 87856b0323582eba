// The run screen and the instrument: what the device box, the status label and the run buttons show
// while simulated instruments on pseudo-terminals are found, switched, reset and unplugged.
#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <memory>

#include "instrument/commands.h"
#include "instrument/instrument_link.h"
#include "instrument/serial_select.h"
#include "shell/settings_box.h"
#include "run/mainwindow.h"
#include "run_test_fixtures.h"
#include "support/listed_ports.h"
#include "support/sim_instrument.h"
#include "support/temp_workdir.h"

namespace {
using namespace run_fixtures;

// Long enough for the port-list poll to notice a change and the link to act on it.
constexpr int notice_ms = 30000;   // a cap for slow machines; the watch looks every 50 ms

QString device_item(const MainWindow &w) { return child<QComboBox>(w, "comboBox_2")->itemText(0); }
QString status(const MainWindow &w) { return child<QLabel>(w, "connected_label_3")->text(); }
bool enabled(const MainWindow &w, const char *button) { return child<QToolButton>(w, button)->isEnabled(); }
// What the user reads off the screen: the status label, the device box's item, and whether Start is offered.
QString screen(const MainWindow &w)
{
    return status(w) + " | " + device_item(w) + (enabled(w, "Start") ? " | start" : " | no start");
}
#define EXPECT_FOUND(sim, bytes) QTRY_COMPARE_WITH_TIMEOUT((sim).received(), (bytes), notice_ms)
const QByteArray first_search = burst(identify_reset_command) + burst(connect_command);

serial_select *open_port_selection(MainWindow &w)
{
    child<QAction>(w, "actionChange_Port")->trigger();
    return visible_window<serial_select>();
}
}  // namespace

class main_window_device_test : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        MainWindow::set_link_timeouts(connect_timeout_ms, startup_timeout_ms, watch_interval_ms);
        wd = std::make_unique<temp_workdir>();
    }
    void cleanup()
    {
        qunsetenv("RZ410_EXTRA_PORTS");
        wd.reset();
    }

    void two_instruments_first_connected_then_switched();
    void nothing_answering_shows_disconnected();
    void reset_from_the_device_box_reconnects();
    void unplugging_the_connected_one_beside_a_decoy_disconnects();
    void unplugging_the_connected_one_moves_to_the_other_in_standby();
    void a_new_window_takes_the_instrument_over();
    void no_switch_or_reset_while_a_run_goes();

private:
    std::unique_ptr<temp_workdir> wd;
};

void main_window_device_test::two_instruments_first_connected_then_switched()
{
    sim_instrument a(9), b(10);
    QVERIFY(a.is_plugged() && b.is_plugged());
    list_ports({&a, &b});
    MainWindow w;
    settle();
    QCOMPARE(screen(w), QStringLiteral("Ready | RZ410-K260509 | start"));
    QCOMPARE(child<QComboBox>(w, "comboBox_2")->currentIndex(), 0);
    QVERIFY(!enabled(w, "Stop"));
    // The first: identify while no instrument is known, then connect. The second is only identified.
    EXPECT_FOUND(a, first_search);
    EXPECT_FOUND(b, burst(identify_command));
    QCOMPARE(w.device_display_name(), QStringLiteral("RZ410-K260509"));

    serial_select *selection = open_port_selection(w);
    QVERIFY(selection);
    QComboBox *listed = selection->device_box();
    QCOMPARE(listed->count(), 2);
    QCOMPARE(listed->itemText(0), QStringLiteral("RZ410-K260509"));
    QCOMPARE(listed->itemText(1), QStringLiteral("RZ410-K260510"));
    a.clear_received();
    b.clear_received();
    listed->setCurrentIndex(1);
    child<QPushButton>(*selection, "select")->click();
    settle();
    EXPECT_FOUND(b, burst(connect_command));
    EXPECT_FOUND(a, burst(close_command));
    QCOMPARE(screen(w), QStringLiteral("Ready | RZ410-K260510 | start"));
    QCOMPARE(w.instrument()->current_device_index(), 1);

    // Choosing the instrument already connected sends nothing.
    a.clear_received();
    b.clear_received();
    w.qv_select(1);
    settle();
    QVERIFY(a.received().isEmpty() && b.received().isEmpty());
}

void main_window_device_test::nothing_answering_shows_disconnected()
{
    {
        MainWindow w;
        settle(20);
        // Not the form's "Disconnect": the hand-over to the analysis screen passes this text on.
        QCOMPARE(screen(w), QStringLiteral("Disconnected | Disconnected | no start"));
        QVERIFY(!w.instrument()->is_connected());
        // The device box's set-up entry opens the settings box and falls back to the first item.
        auto *device = child<QComboBox>(w, "comboBox_2");
        device->setCurrentIndex(2);
        settings_box *box = visible_window<settings_box>();
        QVERIFY(box);
        QCOMPARE(device->currentIndex(), 0);
        QCOMPARE(device_item(w), QStringLiteral("Disconnected"));
        box->close();
    }
    // A silent port and one with a garbled reply: neither may leave the screen claiming "Ready".
    sim_instrument quiet(1), odd(2);
    quiet.set_identify_behaviour(sim_instrument::identify_behaviour::silent);
    odd.set_identify_behaviour(sim_instrument::identify_behaviour::invalid);
    list_ports({&quiet, &odd});
    // Nothing here answers, so no answer can be missed: the search gives each port a short wait.
    MainWindow::set_link_timeouts(silent_port_wait_ms, silent_port_wait_ms, watch_interval_ms);
    MainWindow w;
    settle();
    QCOMPARE(screen(w), QStringLiteral("Disconnected | Disconnected | no start"));
    QCOMPARE(int(w.instrument()->device_count()), 0);
    EXPECT_FOUND(quiet, burst(identify_reset_command));
    EXPECT_FOUND(odd, burst(identify_reset_command));
}

void main_window_device_test::reset_from_the_device_box_reconnects()
{
    sim_instrument a(30);
    a.set_reply_kind(0xFA);
    list_ports({&a});
    MainWindow w;  // never shown: as while the analysis screen stands in front
    settle();
    QCOMPARE(status(w), QStringLiteral("Ready"));
    EXPECT_FOUND(a, first_search);
    a.clear_received();
    QSignalSpy to_analysis(&w, &MainWindow::to_analysis);
    QSignalSpy user_to_analysis(&w, &MainWindow::current_user_to_analysis);

    auto *device = child<QComboBox>(w, "comboBox_2");
    device->setCurrentIndex(1);
    // At once: the box is back on its first item, and nothing claims a connection.
    QCOMPARE(device->currentIndex(), 0);
    QCOMPARE(screen(w), QStringLiteral("Disconnected | Disconnected | no start"));

    QTRY_COMPARE_WITH_TIMEOUT(status(w), QStringLiteral("Ready"), notice_ms);
    settle();
    QCOMPARE(screen(w), QStringLiteral("Ready | RZ410-K260530 | start"));
    EXPECT_FOUND(a, first_search);
    QCOMPARE(int(w.instrument()->reidentify_state()), 0);
    QCOMPARE(int(w.instrument()->device_count()), 1);
    // Only the hand-over feeds the analysis screen: a reconnection behind it tells it nothing, shown or not.
    QVERIFY(to_analysis.isEmpty());
    QVERIFY(user_to_analysis.isEmpty());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    device->setCurrentIndex(1);
    QTRY_COMPARE_WITH_TIMEOUT(status(w), QStringLiteral("Ready"), notice_ms);
    QVERIFY(to_analysis.isEmpty());
}

void main_window_device_test::unplugging_the_connected_one_beside_a_decoy_disconnects()
{
    // Another USB-serial cable that is not an instrument stays plugged in; its reply is no instrument's.
    sim_instrument a(7), decoy(8);
    decoy.set_identify_behaviour(sim_instrument::identify_behaviour::invalid);
    list_ports({&a, &decoy});
    MainWindow w;
    settle();
    QCOMPARE(status(w), QStringLiteral("Ready"));
    QCOMPARE(int(w.instrument()->device_count()), 1);

    // As during a run: the clock goes and the file buttons are off.
    w.screen_state().run_clock->start(1000);
    for (const char *button : {"Open", "Save", "export_2", "Center", "Image"})
        child<QToolButton>(w, button)->setEnabled(false);

    unplug_and_unlist(a);
    // The hang-up of the port may be noticed first; the removal follows with the next look at the port list.
    QTRY_COMPARE_WITH_TIMEOUT(int(w.instrument()->device_count()), 0, notice_ms);
    QCOMPARE(screen(w), QStringLiteral("Disconnected | Disconnected | no start"));
    QVERIFY(!enabled(w, "Stop"));
    QVERIFY(child<QComboBox>(w, "comboBox_2")->isEnabled());
    QVERIFY(!w.screen_state().run_clock->isActive());
    for (const char *button : {"Open", "Save", "export_2", "Center", "Image", "settings"})
        QVERIFY2(enabled(w, button), button);
    QVERIFY(w.instrument()->device_count() == 0 && !w.instrument()->is_connected());
}

void main_window_device_test::unplugging_the_connected_one_moves_to_the_other_in_standby()
{
    sim_instrument a(11), b(12);
    list_ports({&a, &b});
    MainWindow w;
    settle();
    QCOMPARE(device_item(w), QStringLiteral("RZ410-K260511"));
    EXPECT_FOUND(b, burst(identify_command));
    b.clear_received();

    unplug_and_unlist(a);
    QTRY_COMPARE_WITH_TIMEOUT(status(w), QStringLiteral("Standby"), notice_ms);
    settle();
    QCOMPARE(screen(w), QStringLiteral("Standby | Disconnected | no start"));
    QVERIFY(!enabled(w, "Stop"));
    // The remaining instrument took the working port.
    EXPECT_FOUND(b, burst(connect_command));
    QCOMPARE(int(w.instrument()->device_count()), 1);
    QCOMPARE(w.instrument()->current_device_index(), 0);

    // Choosing it from the port selection makes the screen ready again, although it is the current entry.
    serial_select *selection = open_port_selection(w);
    QVERIFY(selection);
    QCOMPARE(selection->device_box()->count(), 1);
    child<QPushButton>(*selection, "select")->click();
    QCOMPARE(screen(w), QStringLiteral("Ready | RZ410-K260512 | start"));
    QVERIFY(w.instrument()->is_connected());
}

void main_window_device_test::a_new_window_takes_the_instrument_over()
{
    sim_instrument a(40);
    list_ports({&a});
    auto first = std::make_unique<MainWindow>();
    settle();
    QCOMPARE(status(*first), QStringLiteral("Ready"));
    EXPECT_FOUND(a, first_search);
    a.clear_received();

    // A log-out and a new log-in: the new window searches afresh; the old one lets go of everything.
    auto second = std::make_unique<MainWindow>();
    settle();
    QVERIFY(first->instrument() == nullptr);
    QCOMPARE(status(*second), QStringLiteral("Ready"));
    EXPECT_FOUND(a, first_search);
    QCOMPARE(second->screen_state().main_port, &second->instrument()->main_port());

    // A removal now reaches the new window only.
    const QString old_status = status(*first);
    unplug_and_unlist(a);
    QTRY_COMPARE_WITH_TIMEOUT(status(*second), QStringLiteral("Disconnected"), notice_ms);
    QCOMPARE(status(*first), old_status);
    // The old window's actions no longer reach an instrument.
    first->port_update();
    first->qv_select(0);
    first.reset();
    QVERIFY(second->screen_state().main_port != nullptr);
}

void main_window_device_test::no_switch_or_reset_while_a_run_goes()
{
    sim_instrument a(51), b(52);
    list_ports({&a, &b});
    MainWindow w;
    QStringList refusals;
    w.show_run_error = [&refusals](const QString &title, const QString &text) { refusals << title + text; };
    EXPECT_FOUND(a, first_search);
    EXPECT_FOUND(b, burst(identify_command));
    child<QToolButton>(w, "Start")->click();
    QVERIFY2(w.run_in_progress(), qPrintable(refusals.join('\n')));
    QTRY_COMPARE_WITH_TIMEOUT(a.parameter_frames().size(), 1, notice_ms);
    a.clear_received();
    b.clear_received();
    // Neither the port selection, the settings box's choice nor "Reset" may take the port from the run.
    w.port_update();
    w.qv_select(1);
    w.serial_select_slot(b.slave_path());
    child<QComboBox>(w, "comboBox_2")->setCurrentIndex(1);
    settle();
    QVERIFY(w.run_in_progress());
    QVERIFY(w.instrument()->is_connected());
    QCOMPARE(w.instrument()->current_device_index(), 0);
    QVERIFY(a.commands().isEmpty() && b.received().isEmpty());
    QCOMPARE(child<QComboBox>(w, "comboBox_2")->currentIndex(), 0);

    // Once the run is stopped, switching works again.
    child<QToolButton>(w, "Stop")->click();
    QVERIFY(!w.run_in_progress());
    w.qv_select(1);
    EXPECT_FOUND(b, burst(connect_command));
    QCOMPARE(device_item(w), QStringLiteral("RZ410-K260552"));
}

QTEST_MAIN(main_window_device_test)
#include "main_window_device_test.moc"
