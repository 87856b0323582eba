// Finding, identifying and connecting instruments on the serial ports, and keeping the device table.
// The run screen forwards its device box, port-selection action and device-change notices here, and
// shows what the signals report.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <array>
#include <cstdint>
#include <memory>

#include "instrument/device_table.h"
#include "platform/port_listing.h"

namespace platform { class device_watcher; }

class connecting;
class serial_select;
class QWidget;

// What the run screen shows about the connection.
enum class link_view {
    ready,          // working port open on the current instrument: Start enabled, Stop disabled
    standby,        // the connected instrument was unplugged, another entry took its place: Start and Stop disabled
    disconnected,   // nothing usable is connected: Start and Stop disabled, connected_label and _2 emptied
    all_gone,       // every instrument was unplugged: as disconnected, and Open, Save, export_2, Center,
                    // settings and Image enabled again
};

class instrument_link : public QObject {
    Q_OBJECT
public:
    // How long a port may stay silent after an identify request.
    static constexpr int connect_timeout_ms = 3000;   // plug-in and reset
    static constexpr int startup_timeout_ms = 1000;   // per port, during the start-up search

    // `lister` must outlive the link. Tests pass shorter time-outs.
    explicit instrument_link(const platform::port_lister &lister, QObject *parent = nullptr,
                             int connect_timeout = connect_timeout_ms, int startup_timeout = startup_timeout_ms);
    ~instrument_link() override;

    // The working port: its readyRead carries the sample frames of a run.
    QSerialPort &main_port() { return main_port_; }
    QSerialPort &probe_port() { return probe_port_; }

    const device_table &devices() const { return table; }
    uint8_t device_count() const { return table.device_count; }
    int current_device_index() const { return current_index; }
    // Id of the connected instrument (0 while the table is empty).
    uint8_t current_device_id() const;
    // Display name of the current_device_index instrument.
    QString device_display_name() const;
    bool is_connected() const { return main_port_.isOpen(); }
    // The device names the run screen feeds to the About box and the settings box.
    QStringList port_names() const;
    const QStringList &watch_port_names() const { return watch_ports; }
    uint8_t reidentify_state() const { return reidentify; }
    uint8_t id_command_mode() const { return command_mode; }
    bool connecting_shown() const;
    bool any_serial_port() const;

    // Follows plug-in and removal by polling the port list (builds without the native device-change
    // message), starting from the list the start-up search walked when there was one. Safe to call again; the
    // interval is shortened only by tests.
    void start_device_watch(int interval_ms = 1000);

    // Closes both ports and stops waiting for any answer, for a window that hands over to a new one.
    void close_ports();

    // The 20-byte parameter frame of a run, on the working port.
    bool send_parameter_frame(const std::array<uint8_t, 20> &frame);

public slots:
    // Start-up search: identify every bridge port in list order; the first that answers is connected.
    void find_device_port();
    // One identify request on the probe port (closes it and stops when `port` is empty).
    void ask_for_id(const QString &port);
    // Starts a connection attempt to connect_port_name, with "Connecting.." shown.
    void connect_to_port();
    void serialReceived_check();
    void cancel_connection();
    // Connects the working port to `port`, or shows the disconnected state for "disconnected".
    void serial_select_slot(const QString &port);
    // Switches to table entry `index`; entries outside the table are ignored. The current entry is
    // connected again unless it is already in use ("Ready").
    void qv_select(uint8_t index);
    // The device box's "Reset": re-identify the connected instrument.
    void reset_connection();
    // Device change: some ports appeared (`appeared` may be empty when the system does not say which).
    void device_arrived(const QStringList &appeared = QStringList());
    // Device change: some ports are gone; the table is checked against the bridge ports present.
    void device_removed();
    // Opens the port-selection window fed with every table entry; it deletes itself when closed.
    serial_select *port_update();

    void send_close_command();
    void send_stop_command();
    void configure_led();

signals:
    void ask_id(const QString &port);
    // Item 0 of the device box shows `device_item`; the status label and buttons follow `view`.
    void view_changed(link_view view, const QString &device_item);
    // The connected instrument went away: the run clock must stop.
    void run_interrupted();
    // The working port was connected (true) or given up (false); the analysis screen hears of it.
    void connection_changed(bool connected);
    // Feeds the port-selection window one id at a time.
    void id_to_serial(uint8_t id);
    // A bridge port would not open: `reason` is the port's own error text; the user must hear of it, since an
    // instrument the program may not open looks exactly like no instrument at all.
    void port_open_failed(const QString &port, const QString &reason, bool permission_denied);

private:
    bool open_on(QSerialPort &port, QString &name_slot, const QString &name, bool report_failure = true);
    // A hang-up, end of input or vanished device on a port: the port is of no more use.
    void port_failed(QSerialPort &port, QSerialPort::SerialPortError error);
    void lose_working_port();
    // A hung-up line counts as its port's removal: a poll finding the name again must report an arrival.
    void forget_port(const QString &name);
    // Takes out every entry whose port is not in `present`, as a removal notice does. True when the connected
    // instrument was among them (the run has then ended and the view says so).
    bool remove_missing_entries(const QStringList &present);
    void write_command(QSerialPort &port, uint8_t command);
    void connect_entry(int index);
    void show_ready();
    void show_disconnected_view(link_view view);
    void close_connecting_window();
    // The window that owns this link, if it is one: the link's boxes open over it.
    const QWidget *opening_window() const;
    void probe_next();
    QStringList present_bridge_ports() const;

    const platform::port_lister &lister;
    QSerialPort main_port_;
    QSerialPort probe_port_;
    // What QSerialPort::portName() returns is shortened for paths under /dev, so the names
    // the table compares against are kept here as they were given.
    QString main_port_name;
    QString probe_port_name;
    // How often each port was closed: a failure waiting to be acted on belongs to the opening it came from.
    quint64 main_port_closings = 0;
    quint64 probe_port_closings = 0;

    device_table table;
    int current_index = 0;
    uint8_t reidentify = 0;
    uint8_t command_mode = 0;
    QByteArray id_reply_buffer;
    QString connect_port_name;
    QStringList watch_ports;
    // Every port the start-up search listed: the device watch starts from them.
    QStringList searched_ports;
    bool searched = false;
    // Newly appeared ports still to be identified, one at a time, and the one being identified now: from the
    // moment it leaves the queue until it answers or its time runs out. A notice handled meanwhile must neither
    // queue it again nor take its place.
    QStringList probe_queue;
    QString probing_port;
    bool connect_cancelled = false;
    bool show_disconnected = false;
    link_view shown_view = link_view::disconnected;  // what the run screen was last told
    bool scanning = false;

    QTimer connect_timer;
    int connect_timeout;
    int startup_timeout;
    std::unique_ptr<connecting> connecting_window;
    std::unique_ptr<platform::device_watcher> watcher;
};
