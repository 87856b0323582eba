// The run screen's side of the instrument link: the device box, the status label and the run buttons
// follow what the link reports, and the device box and "Change Device" hand the user's choices to it.
#include "run/mainwindow.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>

#include "analysis/qv_analysis_window.h"
#include "instrument/instrument_link.h"
#include "instrument/port_errors.h"
#include "platform/device_watcher.h"
#include "platform/port_listing.h"
#include "run/session_rules.h"
#include "ui_mainwindow.h"

#ifdef Q_OS_WIN
#include <windows.h>
#include "platform/device_change.h"
#endif

namespace {
const QString disconnected_text = QStringLiteral("Disconnected");

// Device box entries: 0 shows the connected instrument, then the two commands.
constexpr int device_item_reset = 1;
constexpr int device_item_setup_port = 2;

// Time-outs of the link the next window builds; only tests change them.
int next_connect_timeout_ms = instrument_link::connect_timeout_ms;
int next_startup_timeout_ms = instrument_link::startup_timeout_ms;
int next_watch_interval_ms = platform::device_watcher::poll_interval_ms;

// The system's serial ports. The lister holds no state, so one serves every window's link.
const platform::port_lister &system_ports()
{
    static const platform::system_port_lister lister;
    return lister;
}

// What each connection state shows besides the device box's first item.
struct link_widgets {
    QString status;               // connected_label_3
    bool start_enabled = false;   // only a connected instrument can run
    bool clear_labels = false;    // connected_label and connected_label_2 emptied
    bool file_controls = false;   // Open, Save, export_2, Center, settings and Image enabled again
};

link_widgets widgets_for(link_view view)
{
    switch (view) {
    case link_view::ready:
        return {QStringLiteral("Ready"), true, false, false};
    case link_view::standby:
        return {QStringLiteral("Standby"), false, false, false};
    case link_view::disconnected:
        return {disconnected_text, false, true, false};
    case link_view::all_gone:
        return {disconnected_text, false, true, true};
    }
    return {disconnected_text, false, true, false};
}
}  // namespace

void MainWindow::set_link_timeouts(int connect_ms, int startup_ms, int watch_ms)
{
    next_connect_timeout_ms = connect_ms;
    next_startup_timeout_ms = startup_ms;
    next_watch_interval_ms = watch_ms;
}

instrument_link *MainWindow::instrument() const { return link; }

QString MainWindow::device_display_name() const { return link ? link->device_display_name() : QString(); }

void MainWindow::create_instrument_link()
{
    // The window of an earlier log-in is hidden but never destroyed. Its link would go on polling the
    // ports, probing new ones and stopping the shared run clock on a removal, so it goes the way the
    // old window's ports go: closed and deleted before this window takes the instrument.
    if (state.link) {
        state.link->close_ports();
        delete state.link.data();
    }
    link = new instrument_link(system_ports(), this, next_connect_timeout_ms, next_startup_timeout_ms);
    state.link = link;
    state.main_port = &link->main_port();
    state.probe_port = &link->probe_port();

    connect(link, &instrument_link::view_changed, this, &MainWindow::show_link_view);
    connect(link, &instrument_link::run_interrupted, this, &MainWindow::link_run_interrupted);
    connect(link, &instrument_link::id_to_serial, this, &MainWindow::id_to_serial);
    connect(link, &instrument_link::port_open_failed, this, &MainWindow::link_port_open_failed);
    connect(this, &MainWindow::ask_id, link, &instrument_link::ask_for_id);
    connect(this, &MainWindow::close_led, link, &instrument_link::configure_led);
    connect(ui->actionChange_Port, &QAction::triggered, this, &MainWindow::port_update);
}

void MainWindow::find_instrument()
{
    link->find_device_port();
    // The form's first device item reads "Disconnect"; with nothing found it must say what is true,
    // since the hand-over to the analysis screen passes that text on as the connection state.
    if (!link->is_connected())
        show_link_view(link_view::disconnected, disconnected_text);
#ifndef Q_OS_WIN
    // Windows reports plug-in and removal through nativeEvent; elsewhere the port list is polled.
    link->start_device_watch(next_watch_interval_ms);
#endif
}

void MainWindow::release_instrument_link()
{
    if (state.link == link) {
        state.link = nullptr;
        state.main_port = nullptr;
        state.probe_port = nullptr;
    }
    // Deleted here rather than with the window's children, so no signal of the link can reach this
    // window once its form is gone.
    delete link.data();
}

void MainWindow::show_link_view(link_view view, const QString &device_item)
{
    const link_widgets shown = widgets_for(view);
    ui->comboBox_2->setItemText(0, device_item);
    ui->comboBox_2->setCurrentIndex(0);
    ui->comboBox_2->setEnabled(true);
    ui->actionChange_Port->setEnabled(true);
    ui->connected_label_3->setText(shown.status);
    ui->Start->setEnabled(shown.start_enabled);
    ui->Stop->setEnabled(false);
    if (shown.clear_labels) {
        ui->connected_label->clear();
        ui->connected_label_2->clear();
    }
    if (shown.file_controls) {
        for (QToolButton *button : {ui->Open, ui->Save, ui->export_2, ui->Center, ui->settings, ui->Image})
            button->setEnabled(true);
    }
    // The analysis screen in front names the instrument too: it hears of a plug, an unplug or a switch in the
    // words of the hand-over, and nothing else of it (its user and analysis name) changes.
    if (state.analysis_window && state.analysis_window->isVisible())
        emit to_analysis(session::connection_state_message(device_item));
}

void MainWindow::link_run_interrupted()
{
    if (state.run_clock)
        state.run_clock->stop();
}

void MainWindow::link_port_open_failed(const QString &port, const QString &reason, bool permission_denied)
{
    const QString title = port_open_failure_title();
    const QString text = port_open_failure_text(port, reason, permission_denied);
    if (show_run_error) {
        show_run_error(title, text);
        return;
    }
    // Not modal-blocking: the start-up search and a plug-in probe are waiting in their own event loops and
    // must go on to the next port.
    auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->show();
}

bool MainWindow::instrument_can_change() const
{
    // Moving or re-identifying the working port under a run would cut the run's samples off midway.
    return link && !run_in_progress();
}

void MainWindow::on_comboBox_2_currentIndexChanged(int index)
{
    if (index == device_item_reset) {
        if (instrument_can_change())
            link->reset_connection();  // shows "Disconnected" and puts the box back on its first item
        else
            ui->comboBox_2->setCurrentIndex(0);
    } else if (index == device_item_setup_port) {
        on_settings_clicked();
    }
}

void MainWindow::port_update()
{
    if (instrument_can_change())
        link->port_update();
}

void MainWindow::qv_select(uint8_t index)
{
    if (instrument_can_change())
        link->qv_select(index);
}

void MainWindow::serial_select_slot(const QString &port)
{
    if (instrument_can_change())
        link->serial_select_slot(port);
}

#ifdef Q_OS_WIN
bool MainWindow::nativeEvent(const QByteArray &eventType, void *message, long *result)
{
    Q_UNUSED(eventType);
    Q_UNUSED(result);
    const MSG *msg = static_cast<const MSG *>(message);
    if (link && msg) {
        switch (platform::classify_device_message(msg->message, uintptr_t(msg->wParam))) {
        case platform::device_change::arrival:
            link->device_arrived();
            break;
        case platform::device_change::removal:
            link->device_removed();
            break;
        case platform::device_change::none:
            break;
        }
    }
    // Never consumed: the rest of Qt sees the message as well.
    return false;
}
#endif
