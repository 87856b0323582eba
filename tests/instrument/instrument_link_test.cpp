// Discovery and connection against simulated instruments on pseudo-terminals.
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <functional>
#include <memory>
#include <vector>

#include "instrument/commands.h"
#include "instrument/instrument_link.h"
#include "instrument/serial_select.h"
#include "support/listed_ports.h"
#include "support/private_terminal.h"
#include "support/sim_instrument.h"
#include "support/sim_waits.h"

namespace {
// How long the link waits for an identify reply: after a plug-in or reset, and per port in the start-up search.
struct reply_windows {
    int connect_ms;
    int startup_ms;
};
// Where an instrument must answer, the wait is far longer than any answer takes, even from a simulated instrument
// on a loaded machine, which shares the program's event loop: a reply missed then is a fault, not a slow machine.
constexpr int answer_wait_ms = 30000;
constexpr reply_windows answered{answer_wait_ms, answer_wait_ms};
// Short waits only where nothing but a silent port is waited for in them: a reset or plug-in that goes unanswered.
constexpr reply_windows unanswered_plug_in{400, answer_wait_ms};
using behaviour = sim_instrument::identify_behaviour;

struct view_record {
    std::vector<std::pair<link_view, QString>> views;
    int interrupted = 0;
    void watch(instrument_link &link)
    {
        QObject::connect(&link, &instrument_link::view_changed,
                         [this](link_view v, const QString &item) { views.emplace_back(v, item); });
        QObject::connect(&link, &instrument_link::run_interrupted, [this] { ++interrupted; });
    }
    bool any(link_view v) const
    {
        return std::any_of(views.begin(), views.end(), [v](const auto &entry) { return entry.first == v; });
    }
    bool last_is(link_view v, const QString &item) const
    {
        return !views.empty() && views.back().first == v && views.back().second == item;
    }
};

void clear_logs(std::initializer_list<sim_instrument *> sims)
{
    for (sim_instrument *s : sims)
        s->clear_received();
}

void click_select(QWidget &window) { QTest::mouseClick(window.findChild<QPushButton *>("select"), Qt::LeftButton); }

// Runs `work` ahead of everything queued for the event loop, as a notice handled in the same turn would be.
void run_ahead_of_queued(std::function<void()> work)
{
    struct runner : QObject {
        std::function<void()> work;
        bool event(QEvent *e) override
        {
            if (e->type() != QEvent::User)
                return QObject::event(e);
            work();
            deleteLater();
            return true;
        }
    };
    auto *r = new runner;
    r->work = std::move(work);
    QCoreApplication::postEvent(r, new QEvent(QEvent::User), Qt::HighEventPriority);
}
}  // namespace

class test_instrument_link : public QObject {
    Q_OBJECT
    platform::system_port_lister lister;

    // A link over the listed instruments (none listed: no ports at all); `record` sees its views from the start.
    std::unique_ptr<instrument_link> make_link(const std::vector<sim_instrument *> &sims, view_record *record = nullptr,
                                               reply_windows windows = answered)
    {
        if (sims.empty())
            qputenv("RZ410_EXTRA_PORTS", "");
        else
            list_ports(sims);
        auto link = std::make_unique<instrument_link>(lister, nullptr, windows.connect_ms, windows.startup_ms);
        if (record)
            record->watch(*link);
        return link;
    }

    // A link that has found the listed instruments, with every byte of the search in their logs.
    std::unique_ptr<instrument_link> started_link(const std::vector<sim_instrument *> &sims, view_record *record = nullptr,
                                                  reply_windows windows = answered)
    {
        auto link = make_link(sims, record, windows);
        link->find_device_port();
        // Each port answered, so read its request, before the search moved on; only the connect command to the
        // instrument connected last may still be on its way, and a test that clears the logs must not get it late.
        for (sim_instrument *sim : sims) {
            if (link->is_connected() && sim->slave_path() == link->devices().port_names[link->current_device_index()]
                && !QTest::qWaitFor([sim] { return sim->commands().endsWith(connect_command); }, sim_delivery_cap_ms))
                qWarning("%s", qPrintable(commands_report(*sim, {connect_command})));
        }
        return link;
    }

private slots:
    void cleanup() { qunsetenv("RZ410_EXTRA_PORTS"); }

    // Two instruments found at start-up, an invalid reply with none known, and switching's exact bytes:
    // main_window_device_test checks them through the window; here what the window does not show.
    void silent_port_is_skipped_after_its_time_out()
    {
        // The instrument that answers shares the start-up window with the silent port, whose whole length the
        // search waits for: long enough for a loaded machine's answer, short enough to wait for once.
        constexpr int window_ms = 3000;
        sim_instrument quiet(3), a(4);
        quiet.set_identify_behaviour(behaviour::silent);
        auto link = make_link({&quiet, &a}, nullptr, {answer_wait_ms, window_ms});
        QElapsedTimer clock;
        clock.start();
        link->find_device_port();
        const qint64 took = clock.elapsed();

        // The search waited for the silent port's time-out (a busy machine may take far longer; a coarse timer
        // may end it up to 5% early).
        QVERIFY2(took >= window_ms * 95 / 100, qPrintable(QString::number(took)));
        QCOMPARE(int(link->device_count()), 1);
        QCOMPARE(link->devices().port_names[0], a.slave_path());
        QVERIFY(link->is_connected());
        // What the program must send: identify requests only to the silent port, never the connect command; the
        // instrument that answered is identified and connected. Commands are counted as bursts, and a silent
        // port may hear a request more than once on a machine slow enough to deliver it late.
        QVERIFY_RECEIVES(a, identify_reset_command, connect_command);
        QVERIFY2(QTest::qWaitFor([&] { return quiet.received().size() >= command_repeats; }, sim_delivery_cap_ms),
                 qPrintable(commands_report(quiet, {identify_reset_command})));
        for (uint8_t command : quiet.commands())
            QCOMPARE(int(command), int(identify_reset_command));
        QCOMPARE(quiet.received().size() % command_repeats, 0);
    }

    void switching_moves_the_working_port_and_closes_the_old_one()
    {
        sim_instrument a(11), b(12);
        view_record record;
        auto link = started_link({&a, &b}, &record);
        clear_logs({&a, &b});
        link->qv_select(1);
        QCOMPARE(link->current_device_index(), 1);
        QVERIFY_RECEIVES(b, connect_command);
        QVERIFY_RECEIVES(a, close_command);
        QVERIFY(record.last_is(link_view::ready, "RZ410-K260512"));
        QCOMPARE(int(link->id_command_mode()), 0);

        // The entry already connected, and entries outside the table, change nothing; commands now reach the
        // newly selected instrument only. An instrument receives bytes in the order they were written to it: b
        // hearing the stop command alone shows it heard nothing from the selections, and a, once chosen again,
        // hearing its connect command alone shows it heard neither the selections nor the stop command.
        clear_logs({&a, &b});
        for (int entry : {1, 2, 255})
            link->qv_select(uint8_t(entry));
        QCOMPARE(link->current_device_index(), 1);
        link->send_stop_command();
        QVERIFY_RECEIVES(b, stop_command);
        link->qv_select(0);
        QVERIFY_RECEIVES(a, connect_command);
        QVERIFY_RECEIVES(b, stop_command, close_command);
    }

    void removal_is_judged_by_which_ports_went_away()
    {
        sim_instrument decoy(1), a(21), b(22);
        decoy.set_identify_behaviour(behaviour::invalid);   // another bridge port, whose reply is no instrument's
        view_record record;
        auto link = started_link({&decoy, &a, &b}, &record);
        QCOMPARE(int(link->device_count()), 2);
        QCOMPARE(link->current_device_index(), 0);
        b.clear_received();

        // Pull the connected instrument. The decoy keeps the number of bridge ports equal to the
        // number of instruments, which must not hide the removal.
        unplug_and_unlist(a);
        link->device_removed();
        QCOMPARE(int(link->device_count()), 1);
        QCOMPARE(link->devices().port_names[0], b.slave_path());
        QCOMPARE(link->current_device_index(), 0);
        QCOMPARE(record.interrupted, 1);
        QVERIFY(record.last_is(link_view::standby, "Disconnected"));
        QVERIFY(link->is_connected());
        QVERIFY_RECEIVES(b, connect_command);   // the remaining instrument took the working port

        link->device_removed();   // a removal that takes no instrument changes nothing
        QCOMPARE(int(link->device_count()), 1);

        unplug_and_unlist(b);
        link->device_removed();
        QCOMPARE(int(link->device_count()), 0);
        QCOMPARE(link->current_device_index(), 0);
        QVERIFY(!link->is_connected());
        QCOMPARE(record.views.back().first, link_view::all_gone);
        QCOMPARE(record.interrupted, 2);
    }

    void removing_an_entry_before_the_current_one_keeps_the_same_instrument()
    {
        sim_instrument a(31), b(32);
        auto link = make_link({&a, &b});
        link->find_device_port();
        link->qv_select(1);
        QVERIFY_RECEIVES(a, identify_reset_command, connect_command, close_command);   // the switch is over
        view_record record;
        record.watch(*link);

        unplug_and_unlist(a);
        link->device_removed();
        QCOMPARE(link->current_device_index(), 0);
        QCOMPARE(int(link->current_device_id()), 32);
        QVERIFY(link->is_connected());
        QCOMPARE(record.interrupted, 0);   // the running instrument was not touched
        QVERIFY(record.views.empty());
    }

    void reset_answered_by_fa_reconnects_and_later_instruments_are_added()
    {
        sim_instrument a(41);
        a.set_reply_kind(0xFA);
        view_record record;
        auto link = started_link({&a}, &record);
        QCOMPARE(int(link->device_count()), 1);
        a.clear_received();

        link->reset_connection();
        QCOMPARE(record.views.back().first, link_view::disconnected);
        QTRY_VERIFY_WITH_TIMEOUT(link->is_connected(), sim_delivery_cap_ms);
        QVERIFY_RECEIVES(a, identify_reset_command, connect_command);
        QCOMPARE(int(link->reidentify_state()), 0);
        QCOMPARE(int(link->device_count()), 1);   // re-identified, not added twice
        QVERIFY(record.last_is(link_view::ready, "RZ410-K260541"));

        // A second instrument plugged in afterwards is still added (and not connected).
        sim_instrument b(42);
        list_ports({&a, &b});
        link->device_arrived({b.slave_path()});
        QVERIFY(link->connecting_shown());
        QTRY_COMPARE_WITH_TIMEOUT(int(link->device_count()), 2, sim_delivery_cap_ms);
        QVERIFY(!link->connecting_shown());
        QCOMPARE(link->current_device_index(), 0);
        QVERIFY_RECEIVES(b, identify_command);
    }

    void reset_answered_by_c8_or_not_at_all_returns_to_normal()
    {
        sim_instrument a(51);
        auto link = started_link({&a});
        a.set_id(52);   // the instrument reports a new id after the reset
        link->reset_connection();
        QTRY_VERIFY_WITH_TIMEOUT(link->is_connected(), sim_delivery_cap_ms);
        QCOMPARE(int(link->reidentify_state()), 0);
        QCOMPARE(int(link->device_count()), 1);
        QCOMPARE(int(link->current_device_id()), 52);

        // Unanswered: the reset's short wait runs out.
        sim_instrument quiet(53);
        auto waiting = started_link({&quiet}, nullptr, unanswered_plug_in);
        QVERIFY(waiting->is_connected());
        quiet.set_identify_behaviour(behaviour::silent);
        waiting->reset_connection();
        QCOMPARE(int(waiting->reidentify_state()), 1);
        QTRY_COMPARE_WITH_TIMEOUT(int(waiting->reidentify_state()), 0, sim_delivery_cap_ms);
        QVERIFY(!waiting->is_connected());
    }

    void plug_in_probes_only_the_new_port()
    {
        sim_instrument decoy(1), a(71);
        decoy.set_identify_behaviour(behaviour::invalid);   // a bridge port that is no instrument
        auto link = started_link({&decoy, &a});
        QCOMPARE(int(link->device_count()), 1);
        decoy.clear_received();

        // The decoy is not in the table, but it did not just appear: the new instrument is probed.
        sim_instrument b(72);
        list_ports({&decoy, &a, &b});
        QCOMPARE(link->watch_port_names().size(), 0);
        link->device_arrived({b.slave_path()});
        QCOMPARE(link->watch_port_names().size(), 3);
        QTRY_COMPARE_WITH_TIMEOUT(int(link->device_count()), 2, sim_delivery_cap_ms);
        QVERIFY_RECEIVES(b, identify_command);
        // Probes go one at a time, each under "Connecting.." until its port answers: with the window closed, a
        // probe of the decoy would have been answered, so read, by now.
        QTRY_VERIFY_WITH_TIMEOUT(!link->connecting_shown(), sim_delivery_cap_ms);
        QVERIFY2(decoy.received().isEmpty(), qPrintable(commands_report(decoy, {})));
        QCOMPARE(link->devices().port_names[1], b.slave_path());
        QCOMPARE(link->current_device_index(), 0);
    }

    void silent_newcomer_is_given_up_at_its_time_out_data()
    {
        QTest::addColumn<bool>("neighbour_goes");
        QTest::newRow("a neighbour that answers") << false;
        // Plugged in with it and pulled out again while waiting for its turn: there is nothing left to probe.
        QTest::newRow("a queued neighbour goes") << true;
    }

    void silent_newcomer_is_given_up_at_its_time_out()
    {
        QFETCH(bool, neighbour_goes);
        sim_instrument a(74);
        auto link = started_link({&a}, nullptr, unanswered_plug_in);
        QCOMPARE(int(link->device_count()), 1);
        QSignalSpy refused(link.get(), &instrument_link::port_open_failed);

        // "Connecting.." closes at the time-out and nothing is added.
        sim_instrument quiet(73), neighbour(75);
        quiet.set_identify_behaviour(behaviour::silent);
        list_ports({&a, &quiet, &neighbour});
        link->device_arrived({quiet.slave_path(), neighbour.slave_path()});
        QVERIFY(link->connecting_shown());
        if (neighbour_goes) {
            unplug_and_unlist(neighbour);
            link->device_removed();
        }
        // The neighbour's probe, or its failure to open, follows the time-out at once.
        QTRY_VERIFY_WITH_TIMEOUT(!link->connecting_shown(), sim_delivery_cap_ms);
        QTRY_COMPARE_WITH_TIMEOUT(int(link->device_count()), neighbour_goes ? 1 : 2, sim_delivery_cap_ms);
        QCOMPARE(refused.count(), 0);
    }

    void first_instrument_plugged_in_later_is_connected_and_its_removal_noticed_data()
    {
        QTest::addColumn<bool>("during_search");
        QTest::newRow("after the search") << false;
        // The search walks the list it took at its start, waiting on a silent port; the watch begins after it.
        QTest::newRow("while the search waits on a silent port") << true;
    }

    void first_instrument_plugged_in_later_is_connected_and_its_removal_noticed()
    {
        QFETCH(bool, during_search);
        sim_instrument quiet(16), a(17);
        quiet.set_identify_behaviour(behaviour::silent);
        view_record record;
        auto link = make_link(during_search ? std::vector<sim_instrument *>{&quiet} : std::vector<sim_instrument *>{},
                              &record, {answer_wait_ms, 400});
        if (during_search)
            QTimer::singleShot(0, [&] { list_ports({&quiet, &a}); });
        link->find_device_port();
        QCOMPARE(int(link->device_count()), 0);
        link->start_device_watch(30);

        if (!during_search)
            list_ports({&a});
        QTRY_VERIFY_WITH_TIMEOUT(link->is_connected(), sim_delivery_cap_ms);
        QCOMPARE(int(link->current_device_id()), 17);
        QVERIFY_RECEIVES(a, identify_reset_command, connect_command);
        QVERIFY(record.last_is(link_view::ready, "RZ410-K260517"));

        // The device node vanishes with the instrument; the next poll notices which port went.
        unplug_and_unlist(a);
        QTRY_COMPARE_WITH_TIMEOUT(int(link->device_count()), 0, sim_delivery_cap_ms);
        QVERIFY(!link->is_connected());
    }

    void a_port_back_under_its_name_is_identified_again_data()
    {
        QTest::addColumn<bool>("under_probe");
        QTest::addColumn<bool>("hang_up");
        // A cable out and in, a USB reset, a restart: the name is back before any poll could see it go.
        QTest::newRow("the working port hangs up") << false << true;
        QTest::newRow("the port under a plug-in probe hangs up") << true << true;
        // A poll sees the name go, and a later one sees it back; the probe's line itself stays quiet.
        QTest::newRow("the port under a plug-in probe goes and comes back") << true << false;
    }

    void a_port_back_under_its_name_is_identified_again()
    {
        QFETCH(bool, under_probe);
        QFETCH(bool, hang_up);
        // The first instrument is connected, or keeps its probe waiting; the second comes under the same name.
        sim_instrument first(81), second(82);
        if (under_probe)
            first.set_identify_behaviour(behaviour::silent);
        private_terminal socket(first.slave_path());
        const auto list_socket = [&socket] { qputenv("RZ410_EXTRA_PORTS", socket.path().toLocal8Bit()); };
        // A probe nothing ends outlasts every wait below.
        auto link = make_link({}, nullptr, {2 * answer_wait_ms, answer_wait_ms});
        if (!under_probe)
            list_socket();
        link->find_device_port();
        link->start_device_watch(30);
        if (under_probe) {
            list_socket();
            QTRY_VERIFY_WITH_TIMEOUT(!first.received().isEmpty(), sim_delivery_cap_ms);
        }
        QCOMPARE(link->is_connected(), !under_probe);

        if (hang_up) {
            first.unplug();
        } else {
            socket.remove();
            QTRY_VERIFY_WITH_TIMEOUT(!link->connecting_shown(), sim_delivery_cap_ms);   // the probe ended with it
        }
        socket.point_to(second.slave_path());
        QTRY_COMPARE_WITH_TIMEOUT(int(link->current_device_id()), 82, sim_delivery_cap_ms);
        QVERIFY(link->is_connected());
        QCOMPARE(int(link->device_count()), 1);
        QCOMPARE(link->devices().port_names[0], socket.path());
    }

    void instruments_plugged_in_together_are_all_identified_data()
    {
        QTest::addColumn<QString>("notices");
        QTest::newRow("one notice naming both") << "named";
        // Windows says nothing of which port came, and may tell of each cable: the second notice comes while
        // the first port is being identified.
        QTest::newRow("a notice per cable, naming none") << "unnamed twice";
        QTest::newRow("the same notice twice") << "named twice";
        // The probe processes events before it asks, and a notice can be handled right there.
        QTest::newRow("a notice as the first probe starts") << "unnamed inside";
    }

    void instruments_plugged_in_together_are_all_identified()
    {
        QFETCH(QString, notices);
        sim_instrument a(101);
        auto link = started_link({&a});
        sim_instrument b(102), c(103);
        list_ports({&a, &b, &c});
        const QStringList both{b.slave_path(), c.slave_path()};
        if (notices == "unnamed inside")
            run_ahead_of_queued([&] { link->device_arrived(); });
        link->device_arrived(notices.startsWith("unnamed") ? QStringList() : both);
        if (notices.endsWith("twice"))
            link->device_arrived(notices.startsWith("unnamed") ? QStringList() : both);
        QTRY_COMPARE_WITH_TIMEOUT(int(link->device_count()), 3, sim_delivery_cap_ms);
        QCOMPARE(link->devices().port_names[1], b.slave_path());
        QCOMPARE(link->devices().port_names[2], c.slave_path());
        QCOMPARE(link->current_device_index(), 0);
        // Probes go one at a time, each under "Connecting.." until its port answers: with the window closed,
        // every probe this plug-in started has been answered, so its request read, and none is still to come.
        QTRY_VERIFY_WITH_TIMEOUT(!link->connecting_shown(), sim_delivery_cap_ms);
        QVERIFY_RECEIVES(b, identify_command);
        QVERIFY_RECEIVES(c, identify_command);
    }

    void close_command_goes_out_only_when_an_instrument_was_found()
    {
        sim_instrument a(91);
        auto link = make_link({&a});
        link->send_close_command();   // nothing known: nothing opened, nothing sent
        QVERIFY(!link->is_connected());
        link->find_device_port();
        // Bytes reach the instrument in the order they were written: the search's coming first shows that the
        // close command before it went nowhere.
        QVERIFY_RECEIVES(a, identify_reset_command, connect_command);
        link->main_port().close();
        a.clear_received();
        link->send_close_command();   // reopens the working port on its last port
        QVERIFY_RECEIVES(a, close_command);

        // On the wire even if the port closes at once, as when the program ends right after.
        a.clear_received();
        link->send_close_command();
        link->main_port().close();
        QVERIFY_RECEIVES(a, close_command);
    }

    void port_that_will_not_open_shows_disconnected()
    {
        view_record record;
        auto link = make_link({}, &record);
        QSignalSpy connected(link.get(), &instrument_link::connection_changed);
        QSignalSpy refused(link.get(), &instrument_link::port_open_failed);
        // A path of this process's own: the serial port's lock file is named after it, and the same test running
        // beside this one would otherwise hold it, which reads as a permission error.
        const QString missing = QStringLiteral("/nonexistent/rz410-port-%1").arg(QCoreApplication::applicationPid());
        link->serial_select_slot(missing);
        QVERIFY(!link->is_connected());
        QVERIFY(!record.any(link_view::ready));
        QCOMPARE(record.views.back().first, link_view::disconnected);
        QCOMPARE(connected.count(), 1);
        QCOMPARE(connected.at(0).at(0).toBool(), false);
        // The user hears which port and why, not only a trace that is off by default.
        QCOMPARE(refused.count(), 1);
        QCOMPARE(refused.at(0).at(0).toString(), missing);
        QVERIFY(!refused.at(0).at(1).toString().isEmpty());
        QCOMPARE(refused.at(0).at(2).toBool(), false);
    }

    void a_bridge_port_that_will_not_open_is_reported_by_the_search()
    {
        // A listed node that is no terminal cannot be opened as a serial port: the search says so and moves on.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString not_a_port = dir.filePath(QStringLiteral("ttyUSB9"));
        QFile file(not_a_port);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        sim_instrument a(41);
        qputenv("RZ410_EXTRA_PORTS", (not_a_port + ':' + a.slave_path()).toLocal8Bit());
        instrument_link link(lister, nullptr, answered.connect_ms, answered.startup_ms);
        QSignalSpy refused(&link, &instrument_link::port_open_failed);
        link.find_device_port();
        QVERIFY_RECEIVES(a, identify_reset_command, connect_command);
        QCOMPARE(refused.count(), 1);
        QCOMPARE(refused.at(0).at(0).toString(), not_a_port);
        QVERIFY(link.is_connected());
        QCOMPARE(link.devices().port_names[0], a.slave_path());
    }

    void a_hang_up_lets_the_working_port_go_at_once()
    {
        // No device watch runs here: only the port itself can tell that the line is dead.
        sim_instrument a(31);
        view_record record;
        auto link = started_link({&a}, &record);
        QVERIFY(link->is_connected());
        QSignalSpy connected(link.get(), &instrument_link::connection_changed);
        a.unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!link->is_connected(), sim_delivery_cap_ms);
        QCOMPARE(record.interrupted, 1);
        // A hang-up is the port's removal: the entry goes at once, as the last one's unplug.
        QVERIFY(record.last_is(link_view::all_gone, "Disconnected"));
        QCOMPARE(connected.count(), 1);
        QCOMPARE(connected.at(0).at(0).toBool(), false);
        QCOMPARE(int(link->device_count()), 0);

        // Commands meant for the lost instrument go nowhere, and say nothing about closed devices.
        static QStringList messages;
        messages.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &text) { messages << text; });
        link->send_stop_command();
        link->configure_led();
        link->send_close_command();
        link->qv_select(0);   // Change Device to an entry no longer there
        // The calls say what they say at once; the pause only lets anything they queued speak as well.
        QTest::qWait(100);
        qInstallMessageHandler(previous);
        QVERIFY2(messages.filter(QStringLiteral("not open")).isEmpty(), qPrintable(messages.join('\n')));
        QVERIFY(!link->is_connected());
        QCOMPARE(record.interrupted, 1);
    }

    void a_hang_up_noticed_before_the_removal_spares_the_next_instrument()
    {
        // The port list's poll and the hang-up land in one turn of the event loop: the removal moves the working
        // port to the other instrument before the link acts on the hang-up it was told of first.
        sim_instrument a(61), b(62);
        view_record record;
        auto link = started_link({&a, &b}, &record);
        QVERIFY(link->is_connected());
        b.clear_received();
        bool removed = false;
        // The link queues its answer to each report of the hang-up; a marker queued behind each one has run
        // only once that answer has, which is when the port it must not close can be looked at.
        int markers_queued = 0, markers_run = 0;
        connect(&link->main_port(), &QSerialPort::errorOccurred, link.get(), [&] {
            if (!removed)
                run_ahead_of_queued([&] { link->device_removed(); });
            removed = true;
            ++markers_queued;
            QMetaObject::invokeMethod(link.get(), [&] { ++markers_run; }, Qt::QueuedConnection);
        });
        unplug_and_unlist(a);
        QVERIFY_RECEIVES(b, connect_command);
        QTRY_COMPARE_WITH_TIMEOUT(markers_run, markers_queued, sim_delivery_cap_ms);
        QVERIFY(link->is_connected());
        QVERIFY(record.last_is(link_view::standby, "Disconnected"));
        QCOMPARE(record.interrupted, 1);
    }

    void port_selection_window_lists_display_names_and_reports_the_entry()
    {
        sim_instrument a(9), b(10), c(100);
        auto link = started_link({&a, &b, &c});
        QCOMPARE(int(link->device_count()), 3);

        serial_select *window = link->port_update();
        QCOMPARE(window->size(), QSize(205, 62));
        QCOMPARE(window->windowTitle(), QStringLiteral("Select Port"));
        QComboBox *box = window->device_box();
        QCOMPARE(box->count(), 3);
        QCOMPARE(box->itemText(0), QStringLiteral("RZ410-K260509"));
        QCOMPARE(box->itemText(1), QStringLiteral("RZ410-K260510"));
        QCOMPARE(box->itemText(2), QStringLiteral("RZ410-K2605100"));
        box->setCurrentIndex(2);
        c.clear_received();
        QPointer<serial_select> guard(window);
        click_select(*window);
        QCOMPARE(link->current_device_index(), 2);
        QVERIFY_RECEIVES(c, connect_command);
        QVERIFY(guard.isNull() || !guard->isVisible());
    }

    void empty_port_selection_reports_nothing()
    {
        std::vector<int> chosen;
        const auto watch = [&chosen](serial_select &w) {
            connect(&w, &serial_select::port_name, [&chosen](uint8_t i) { chosen.push_back(i); });
        };
        serial_select window(true);
        watch(window);
        window.show();
        click_select(window);
        QVERIFY(chosen.empty());   // no entry 255 from an empty list
        QVERIFY(!window.isVisible());

        serial_select no_ports(false);
        no_ports.add_id(3);
        watch(no_ports);
        click_select(no_ports);
        QVERIFY(chosen.empty());

        serial_select listed(true);
        listed.add_id(3);
        listed.add_id(4);
        listed.device_box()->setCurrentIndex(1);
        watch(listed);
        click_select(listed);
        QCOMPARE(chosen, std::vector<int>({1}));
    }
};

QTEST_MAIN(test_instrument_link)
#include "instrument_link_test.moc"
