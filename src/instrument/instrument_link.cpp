// Discovery and connection: the identify exchange on the probe port, the device table, and the
// working port's connection, all in the GUI thread with timers and short nested event processing.
#include "instrument/instrument_link.h"

#include <QCoreApplication>
#include <QDebug>
#include <QWidget>

#include "instrument/commands.h"
#include "instrument/connecting.h"
#include "instrument/device_names.h"
#include "instrument/port_errors.h"
#include "instrument/serial_select.h"
#include "platform/device_watcher.h"
#include "platform/screen_metrics.h"
#include "platform/trace.h"

namespace {
const QString disconnected_port = QStringLiteral("disconnected");
const QString disconnected_text = QStringLiteral("Disconnected");

// States of the re-identification that the device box's "Reset" starts.
constexpr uint8_t reidentify_idle = 0;
constexpr uint8_t reidentify_reset = 1;
constexpr uint8_t reidentify_answered_c8 = 3;
constexpr uint8_t reidentify_answered_fa = 4;
}  // namespace

instrument_link::instrument_link(const platform::port_lister &lister_, QObject *parent, int connect_timeout_,
                                 int startup_timeout_)
    : QObject(parent), lister(lister_), connect_timeout(connect_timeout_), startup_timeout(startup_timeout_),
      connecting_window(new connecting)
{
    connect(&probe_port_, &QSerialPort::readyRead, this, &instrument_link::serialReceived_check);
    connect(&connect_timer, &QTimer::timeout, this, &instrument_link::cancel_connection);
    connect(this, &instrument_link::ask_id, this, &instrument_link::ask_for_id);
    connect(&main_port_, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { port_failed(main_port_, e); });
    connect(&probe_port_, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { port_failed(probe_port_, e); });
    connect(&main_port_, &QIODevice::aboutToClose, this, [this] { ++main_port_closings; });
    connect(&probe_port_, &QIODevice::aboutToClose, this, [this] { ++probe_port_closings; });
}

instrument_link::~instrument_link()
{
    watcher.reset();
    close_ports();
}

uint8_t instrument_link::current_device_id() const
{
    return current_index < table.device_count ? table.device_ids[current_index] : 0;
}

QString instrument_link::device_display_name() const { return ::device_display_name(current_device_id()); }

QStringList instrument_link::port_names() const
{
    QStringList names;
    for (int i = 0; i < table.device_count; ++i)
        names << table.port_names[i];
    return names;
}

const QWidget *instrument_link::opening_window() const { return qobject_cast<const QWidget *>(parent()); }

bool instrument_link::connecting_shown() const { return connecting_window->isVisible(); }

bool instrument_link::any_serial_port() const { return !lister.ports().empty(); }

void instrument_link::close_ports()
{
    connect_timer.stop();
    probe_queue.clear();
    probing_port.clear();
    close_connecting_window();
    probe_port_.close();
    main_port_.close();
}

void instrument_link::start_device_watch(int interval_ms)
{
    if (!watcher) {
        watcher.reset(new platform::device_watcher(lister, interval_ms));
        connect(watcher.get(), &platform::device_watcher::ports_arrived, this,
                [this](const QStringList &names) { device_arrived(names); });
        connect(watcher.get(), &platform::device_watcher::ports_removed, this, [this] { device_removed(); });
        // A port that came while the search was walking its list was probed by nobody: the watch reports it.
        if (searched) {
            watcher->start_from(searched_ports);
            return;
        }
    }
    watcher->start();
}

void instrument_link::forget_port(const QString &name)
{
    searched_ports.removeAll(name);
    if (watcher)
        watcher->forget(name);
}

bool instrument_link::send_parameter_frame(const std::array<uint8_t, 20> &frame)
{
    const bool written = ::send_parameter_frame(main_port_, frame);
    if (main_port_.isOpen())
        main_port_.flush();
    return written;
}

bool instrument_link::open_on(QSerialPort &port, QString &name_slot, const QString &name, bool report_failure)
{
    port.close();
    name_slot = name;
    port.setPortName(name);
    apply_line_settings(port);
    const bool opened = port.open(QIODevice::ReadWrite);
    // Settings given before opening are applied by open(); applying them again keeps them
    // even where a driver resets the line on open.
    if (opened)
        apply_line_settings(port);
    else {
        qCDebug(rz410_trace) << "cannot open" << name << port.errorString();
        if (report_failure)
            emit port_open_failed(name, port.errorString(), port.error() == QSerialPort::PermissionError);
    }
    return opened;
}

void instrument_link::port_failed(QSerialPort &port, QSerialPort::SerialPortError error)
{
    if (!port_error_ends_link(error) || !port.isOpen())
        return;
    qCDebug(rz410_trace) << "port error" << error << port.errorString();
    // Qt reports the error from inside its read handler; the port is let go once that has returned. Until
    // then at most a few more notifications can come, and nothing reads them.
    // The removal of the same instrument may be handled first and move the port to another one; what is said
    // here then concerns an opening that is over, and must not close the next.
    QSerialPort *failed = &port;
    const quint64 *closings = failed == &main_port_ ? &main_port_closings : &probe_port_closings;
    const quint64 opening = *closings;
    QMetaObject::invokeMethod(
        this,
        [this, failed, closings, opening] {
            if (*closings != opening)
                return;
            if (failed == &main_port_) {
                lose_working_port();
                return;
            }
            // The start-up search moves on at once. A port no entry holds counts as removed, and a plug-in probe
            // of it ends: the port may be back under its name before any poll sees it go, and is then probed as
            // an arrival. An entry's port (a reset, a switch) is left for the watch to see go.
            probe_port_.close();
            const QString name = probe_port_name;
            if (table.index_of_port(name) < 0)
                forget_port(name);
            if (!probing_port.isEmpty() && probing_port == name)
                cancel_connection();
        },
        Qt::QueuedConnection);
}

void instrument_link::lose_working_port()
{
    if (!main_port_.isOpen())
        return;
    // As with an unplug: the run ends with what arrived (the run screen may still take what the port holds),
    // then the port is closed so that no empty reads go on. The entry leaves the table at once and the watch
    // forgets the name: an instrument back on it within one poll is no change of the port list, and would
    // otherwise never be probed.
    const QString port = main_port_name;
    forget_port(port);
    QStringList kept = port_names();
    kept.removeAll(port);
    if (remove_missing_entries(kept))
        return;
    // A port the table does not hold (chosen by name): only the connection is lost.
    emit run_interrupted();
    main_port_.close();
    show_disconnected = false;
    show_disconnected_view(link_view::disconnected);
    emit connection_changed(false);
}

void instrument_link::write_command(QSerialPort &port, uint8_t command)
{
    // A failed write shows up as a missing answer; nothing here can do better than the time-out.
    send_command(port, command);
    // Hand the bytes to the driver now: closing a port drops what is still buffered, and the
    // close command at exit or before a switch must not be lost that way.
    if (port.isOpen())
        port.flush();
}

QStringList instrument_link::present_bridge_ports() const { return platform::bridge_port_names(lister.ports()); }

// ---- Start-up search and identify exchange -----------------------------------------------------

void instrument_link::find_device_port()
{
    scanning = true;
    const std::vector<platform::serial_port_entry> ports = lister.ports();
    searched_ports = platform::port_names(ports);
    searched = true;
    for (const QString &name : platform::bridge_port_names(ports)) {
        ask_for_id(name);
        connect_cancelled = false;
        connect_timer.start(startup_timeout);
        // A reply closes the probe port; the time-out sets connect_cancelled.
        while (probe_port_.isOpen() && !connect_cancelled)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        connect_timer.stop();
    }
    scanning = false;
}

void instrument_link::ask_for_id(const QString &port)
{
    probe_port_.close();
    if (port.isEmpty())
        return;
    QCoreApplication::processEvents();
    // The close command to an instrument just switched away from goes out if its port still opens; a port
    // that has gone since is no news to the user.
    open_on(probe_port_, probe_port_name, port, command_mode != identify_mode_switch);
    const identify_request request = choose_identify_request(table.device_count, command_mode);
    command_mode = request.next_mode;
    id_reply_buffer.clear();
    write_command(probe_port_, request.command);
}

void instrument_link::connect_to_port()
{
    // Taken now: a device-change notice handled in the event processing below empties connect_port_name.
    const QString port = connect_port_name;
    qCDebug(rz410_trace) << "serial wait p_name:" << port;
    connect_cancelled = false;
    connect_timer.start(connect_timeout);
    if (port.isEmpty()) {
        probe_port_.close();
        return;
    }
    // Over the window the user works in, once it is on the screen (the search at start-up comes before it).
    if (const QWidget *opener = opening_window(); opener && opener->isVisible())
        platform::place_over(connecting_window.get(), opener);
    connecting_window->show();
    QCoreApplication::processEvents();
    emit ask_id(port);
}

void instrument_link::cancel_connection()
{
    connect_cancelled = true;
    connect_timer.stop();
    probing_port.clear();
    close_connecting_window();
    // A reset nobody answered must not leave later instruments waiting for a reset reply.
    reidentify = reidentify_idle;
    probe_next();
}

void instrument_link::close_connecting_window() { connecting_window->close(); }

void instrument_link::serialReceived_check()
{
    if (probe_port_.bytesAvailable() < identify_reply_size)
        return;
    id_reply_buffer.append(probe_port_.readAll());
    const identify_reply reply = parse_identify_reply(id_reply_buffer);
    const QString answered_port = probe_port_name;
    id_reply_buffer.remove(0, identify_reply_size);
    probe_port_.close();
    // A late answer from a port given up before may come while the next probe gets ready: that probe, and the
    // wait for its answer, go on.
    if (probing_port.isEmpty() || answered_port == probing_port) {
        connect_timer.stop();
        probing_port.clear();
    }

    if (reply.valid) {
        const int known = table.index_of_port(answered_port);
        if (reidentify != reidentify_idle) {
            // The answer to a reset: refresh the id of the port that answered; nothing is added.
            if (reply.kind == identify_kind_c8 && known >= 0)
                table.device_ids[known] = reply.id;
            reidentify = reply.kind == identify_kind_fa ? reidentify_answered_fa : reidentify_answered_c8;
        } else if (known >= 0) {
            // An instrument already in the table answered again: one port, one entry.
            table.device_ids[known] = reply.id;
        } else if (!table.add(reply.id, answered_port)) {
            qCDebug(rz410_trace) << "device table full, ignoring" << answered_port;
        }
    }

    if (table.device_count != 1 && main_port_.isOpen() && reidentify == reidentify_idle) {
        close_connecting_window();
        probe_next();
        return;
    }
    QCoreApplication::processEvents();
    if (table.device_count > 0 && (!main_port_.isOpen() || reidentify != reidentify_idle)) {
        // After a reset the instrument that was connected comes back; otherwise the newest entry,
        // which is the first instrument found while nothing was connected.
        const int entry = reidentify != reidentify_idle ? current_index : table.device_count - 1;
        reidentify = reidentify_idle;
        connect_entry(entry);
    }
    reidentify = reidentify_idle;
    close_connecting_window();
    probe_next();
}

void instrument_link::connect_entry(int index)
{
    if (index < 0 || index >= table.device_count)
        return;
    current_index = index;
    serial_select_slot(table.port_names[index]);
}

// ---- Working port --------------------------------------------------------------------------------

void instrument_link::show_ready()
{
    shown_view = link_view::ready;
    emit view_changed(link_view::ready, device_display_name());
}

void instrument_link::show_disconnected_view(link_view view)
{
    shown_view = view;
    emit view_changed(view, disconnected_text);
}

void instrument_link::serial_select_slot(const QString &port)
{
    if (port == disconnected_port || port.isEmpty()) {
        main_port_.close();
        show_disconnected = false;
        show_disconnected_view(link_view::disconnected);
        emit connection_changed(false);
        return;
    }
    main_port_.close();
    probe_port_.close();
    if (!open_on(main_port_, main_port_name, port)) {
        // Claiming "Ready" on a port that did not open would let a run start into nothing.
        show_disconnected = false;
        show_disconnected_view(link_view::disconnected);
        emit connection_changed(false);
        return;
    }
    write_command(main_port_, connect_command);
    if (show_disconnected) {
        show_disconnected = false;
        show_disconnected_view(link_view::standby);
    } else {
        show_ready();
    }
    emit connection_changed(true);
}

void instrument_link::qv_select(uint8_t index)
{
    if (index >= table.device_count)
        return;
    if (index == current_index) {
        // After its neighbour was unplugged (standby) or a reset went unanswered, the current entry is not
        // in use; choosing it is the user's way back to a ready instrument.
        if (!main_port_.isOpen() || shown_view != link_view::ready)
            connect_entry(index);
        return;
    }
    const int old_index = current_index;
    current_index = index;
    main_port_.close();
    probe_port_.close();
    serial_select_slot(table.port_names[index]);
    // The previous instrument hears the close command through the probe port.
    command_mode = identify_mode_switch;
    ask_for_id(table.port_names[old_index]);
}

void instrument_link::reset_connection()
{
    if (main_port_.isOpen()) {
        const QString port = main_port_name;
        main_port_.close();
        probe_port_.close();
        reidentify = reidentify_reset;
        command_mode = identify_mode_reset;
        show_disconnected_view(link_view::disconnected);
        connect_cancelled = false;
        connect_timer.start(connect_timeout);
        ask_for_id(port);
        return;
    }
    show_disconnected_view(link_view::disconnected);
}

serial_select *instrument_link::port_update()
{
    auto *window = new serial_select(any_serial_port());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::ApplicationModal);
    connect(window, &serial_select::port_name, this, &instrument_link::qv_select);
    connect(this, &instrument_link::id_to_serial, window, &serial_select::add_id);
    platform::place_over(window, opening_window());
    window->show();
    for (int i = 0; i < table.device_count; ++i)
        emit id_to_serial(table.device_ids[i]);
    return window;
}

void instrument_link::send_close_command()
{
    if (table.device_count == 0)
        return;
    if (!main_port_.isOpen())
        main_port_.open(QIODevice::ReadWrite);
    write_command(main_port_, close_command);
}

void instrument_link::send_stop_command() { write_command(main_port_, stop_command); }

void instrument_link::configure_led() { write_command(main_port_, close_command); }

// ---- Plug-in and removal -------------------------------------------------------------------------

void instrument_link::device_arrived(const QStringList &appeared)
{
    connect_port_name.clear();
    // The start-up search is walking the ports already; it must not lose its probe port.
    if (scanning)
        return;
    watch_ports.clear();
    for (const platform::serial_port_entry &port : lister.ports()) {
        qCDebug(rz410_trace) << "vendor id:" << port.vendor_id;
        qCDebug(rz410_trace) << "product id:" << port.product_id;
        if (platform::is_bridge_port(port) && !port.name.isEmpty() && watch_ports.size() < max_devices)
            watch_ports << port.name;
    }
    // When the system says which ports appeared, each of them is probed in turn: a bridge port
    // that is not an instrument must not be probed again in place of the one just plugged in, and
    // two cables plugged in together must both be identified. Without that list, the first bridge
    // port not in the table is probed. A port waiting for its probe or under it is no news: the same
    // arrival told again, or the next cable's notice, must not have it identified twice in place of the
    // port that did come.
    QStringList unprobed;
    for (const QString &name : watch_ports) {
        if (!probe_queue.contains(name) && name != probing_port)
            unprobed << name;
    }
    if (appeared.isEmpty()) {
        const QString port = first_unknown_port(table, unprobed);
        if (!port.isEmpty())
            probe_queue << port;
    } else {
        for (const QString &name : unprobed) {
            if (appeared.contains(name) && table.index_of_port(name) < 0)
                probe_queue << name;
        }
    }
    if (!connect_timer.isActive())
        probe_next();
}

void instrument_link::probe_next()
{
    if (scanning || !probing_port.isEmpty() || probe_queue.isEmpty())
        return;
    if (table.full()) {
        probe_queue.clear();
        return;
    }
    probing_port = probe_queue.takeFirst();
    connect_port_name = probing_port;
    QCoreApplication::processEvents();
    // A notice handled just now empties connect_port_name; the ports may have been closed altogether.
    if (probing_port.isEmpty())
        return;
    connect_port_name = probing_port;
    connect_to_port();
}

void instrument_link::device_removed()
{
    connect_port_name.clear();
    qCDebug(rz410_trace) << "device removed";
    const QStringList present = present_bridge_ports();
    remove_missing_entries(present);
    // A port that left before its turn has nothing to answer, and its probe would only report a port that
    // cannot be opened; if it returns, that is an arrival of its own.
    for (int i = probe_queue.size() - 1; i >= 0; --i) {
        if (!present.contains(probe_queue[i]))
            probe_queue.removeAt(i);
    }
    // The port under probe went: its answer can no longer come, and if the port returns, its arrival must find
    // nothing under way for it.
    if (!probing_port.isEmpty() && !present.contains(probing_port)) {
        probe_port_.close();
        cancel_connection();
    }
}

bool instrument_link::remove_missing_entries(const QStringList &present)
{
    if (table.device_count == 0)
        return false;

    // Judged by which ports went away, not by how many bridge ports are left: another
    // USB-serial cable must not hide the instrument's removal.
    bool any_removed = false;
    bool current_removed = false;
    for (int j = table.first_missing(present); j >= 0; j = table.first_missing(present)) {
        qCDebug(rz410_trace) << "aranan:" << j;
        any_removed = true;
        table.remove(j);
        if (j == current_index) {
            current_removed = true;
            if (current_index > 0)
                --current_index;
        } else if (j < current_index) {
            --current_index;
        }
    }
    if (!any_removed)
        return false;

    if (table.device_count == 0) {
        current_index = 0;
        main_port_.close();
        show_disconnected = false;
        emit run_interrupted();
        show_disconnected_view(link_view::all_gone);
        emit connection_changed(false);
        return true;
    }
    if (current_removed) {
        main_port_.close();
        show_disconnected = true;
        emit run_interrupted();
        serial_select_slot(table.port_names[current_index]);
    }
    return current_removed;
}
