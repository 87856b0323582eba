// The run screen and the windows around it: the settings box, closing and logging out, the user chooser,
// the About box, and the hand-over to the analysis screen and back.
#include "run/mainwindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDebug>
#include <QFileInfo>
#include <QIcon>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "analysis/qv_analysis_window.h"
#include "dialogs/about_dialog_box.h"
#include "dialogs/dialog_warning_save_data.h"
#include "instrument/instrument_link.h"
#include "lists/combo_entries.h"
#include "run/log_page.h"
#include "platform/screen_metrics.h"
#include "run/method_setup.h"
#include "run/session_rules.h"
#include "shell/app_state.h"
#include "shell/select_user.h"
#include "shell/settings_box.h"
#include "shell/settings_file.h"
#include "ui_mainwindow.h"

namespace {
const QString window_icon_path = QStringLiteral("Libraries/icons/QV_icons/qv256.ico");
}  // namespace

qv_analysis_window *MainWindow::analysis_screen() const { return state.analysis_window; }

void MainWindow::connect_session()
{
    // One warning per window, connected here once: a connection made at every refused close would run the
    // close handling once per refusal when the user finally confirms.
    close_warning = new dialog_warning_save_data(nullptr);
    close_warning->setWindowIcon(QIcon(window_icon_path));
    connect(close_warning, &dialog_warning_save_data::close_app_signal, this, &MainWindow::close_app_slot);
    // The warning has no parent (it is a window of its own); it goes when this window goes.
    connect(this, &QObject::destroyed, close_warning, &QObject::deleteLater);
    connect(ui->actionChange_User, &QAction::triggered, this, &MainWindow::user_update);
}

// ---- settings box ----

void MainWindow::on_settings_clicked()
{
    // The box can switch the instrument and rewrite the run defaults; neither may happen under a run.
    if (run_in_progress())
        return;
    auto *box = new settings_box(nullptr);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowIcon(QIcon(window_icon_path));
    box->setWindowModality(Qt::ApplicationModal);
    connect(box, &settings_box::settings_close, this, &MainWindow::settings_closed);
    connect(box, &settings_box::serial_name, this, &MainWindow::qv_select);
    connect(this, &MainWindow::settings_user, box, &settings_box::get_users);
    connect(this, &MainWindow::qv_info, box, &settings_box::get_qv_info);

    for (const QString &message : session::settings_user_messages(combo_entries(ui->user_box), ui->user_box->currentIndex()))
        emit settings_user(message);

    // Reached from the device box's settings entry, the box must not stay on that entry.
    ui->comboBox_2->setCurrentIndex(0);
    // Over the screen the user is on: the analysis screen asks for the box while this one is hidden.
    const QWidget *opener = this;
    if (!isVisible() && state.analysis_window && state.analysis_window->isVisible())
        opener = state.analysis_window;
    platform::place_over(box, opener);
    box->show();
    if (link) {
        for (int k = 0; k < link->device_count(); ++k)
            emit qv_info(link->devices().device_ids[size_t(k)]);
        // A Save that leaves the port alone must keep the instrument in use, not switch to the first one.
        box->select_port(link->current_device_index());
    }
    // Later feeds are for later boxes.
    disconnect(this, &MainWindow::settings_user, box, &settings_box::get_users);
    disconnect(this, &MainWindow::qv_info, box, &settings_box::get_qv_info);
}

void MainWindow::settings_closed(int8_t device_index)
{
    const std::optional<QStringList> lines = settings_file::read_lines();
    if (lines) {
        load_config();
        // Unlike at start-up, the overlay choice takes effect on the list at once.
        if (run_screen_settings_from(*lines).overlay)
            on_Open_Experiment_5_clicked();
    }
    // The same switch as the device box: the old instrument is told to close, the device index (and with it
    // the id new records carry) follows, the connected one or an index outside the table changes nothing.
    if (device_index >= 0 && !run_in_progress())
        qv_select(uint8_t(device_index));
}

// ---- closing and logging out ----

bool MainWindow::has_unsaved_experiments() const
{
    const int rows = std::min(ui->listWidget->count(), int(records.experiment_count()));
    for (int row = 0; row < rows; ++row) {
        if (records[row].saved == 0)
            return true;
    }
    return false;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing a window that has already shut down must not tell the instrument or open a log-in page again.
    if (closed_for_good) {
        event->accept();
        return;
    }
    const bool logging_out = ui->user_box->currentText() == session::log_out_entry();
    if (has_unsaved_experiments() && !state.close_confirmed) {
        refuse_close_with_warning(logging_out);
        event->ignore();
        return;
    }
    // A confirmation answers the close the warning was shown for, "Log Out" or not.
    closed_for_good = true;
    shut_down_for_close(logging_out || (state.close_confirmed && log_out_on_confirm));
    event->accept();
}

void MainWindow::refuse_close_with_warning(bool logging_out)
{
    log_out_on_confirm = logging_out;
    // Until the user confirms, the window keeps its user: the box must not go on reading "Log Out".
    if (logging_out)
        put_back_user_row();
    close_warning->setWindowIcon(QIcon(window_icon_path));
    close_warning->setWindowModality(Qt::ApplicationModal);
    platform::place_over(close_warning, this);
    close_warning->show();
}

void MainWindow::put_back_user_row()
{
    int row = last_user_row;
    const QStringList entries = combo_entries(ui->user_box);
    if (row < 0 || row + 1 >= entries.size())
        row = entries.size() > 1 ? 0 : -1;
    // Quietly: going back to the user who was there is no user change and rewrites nothing.
    const QSignalBlocker blocker(ui->user_box);
    ui->user_box->setCurrentIndex(row);
}

void MainWindow::close_app_slot()
{
    state.close_confirmed = 1;
    close();
}

void MainWindow::shut_down_for_close(bool logging_out)
{
    // A run under way ends as Stop ends it: the instrument stops and what was recorded is kept.
    if (run_in_progress())
        on_Stop_clicked();
    if (link)
        link->send_close_command();
    bool settings_saved = true;
    if (logging_out) {
        const user_lines lines = user_lines_for(session::log_out_entry());
        // No file at all remembers nobody; an existing one that keeps the old user matters at the next start.
        settings_saved = settings_file::write_user_lines(lines.name, lines.flag) ||
                         !QFileInfo::exists(settings_file::default_path());
    }
    if (close_warning)
        close_warning->close();

    // A closed run screen is never shown again: its clock, its hand-over timer and its link (ports, the
    // connection time-out, the plug-in watch) must not go on acting behind the next window's back.
    if (state.run_clock && state.run_clock->parent() == this)
        state.run_clock->stop();
    if (hand_over_hide_timer)
        hand_over_hide_timer->stop();
    release_instrument_link();

    if (logging_out) {
        auto *page = new log_page(nullptr, log_page::opened_by::log_out);
        page->setAttribute(Qt::WA_DeleteOnClose);
        // Where the user was looking: the page takes this window's place.
        platform::place_window(page, pos(), this);
        page->show();
        if (!settings_saved)
            page->tell_user(QStringLiteral("The settings could not be saved to \"%1\": the next start may log the "
                                           "same user in again.")
                                .arg(settings_file::default_path()));
    }
}

void MainWindow::close_wind() { close(); }

// ---- users ----

void MainWindow::user_update()
{
    auto *chooser = new select_user(nullptr);
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    chooser->setWindowModality(Qt::ApplicationModal);
    connect(chooser, &select_user::user_send, this, &MainWindow::user_select_slot);
    connect(this, &MainWindow::send_user_name, chooser, &select_user::update_user);
    platform::place_over(chooser, this);
    chooser->show();
    const QStringList entries = combo_entries(ui->user_box);
    for (int i = 0; i + 1 < entries.size(); ++i)
        emit send_user_name(entries.at(i));
    disconnect(this, &MainWindow::send_user_name, chooser, &select_user::update_user);
}

void MainWindow::user_select_slot(QString name)
{
    for (int row : session::rows_named(combo_entries(ui->user_box), name))
        ui->user_box->setCurrentIndex(row);
}

void MainWindow::select_index(uint8_t index) { set_current_user(index); }

// ---- About box ----

void MainWindow::on_actionAbout_triggered()
{
    auto *box = new About_Dialog_Box(nullptr);
    box->setWindowIcon(QIcon(window_icon_path));
    platform::place_over(box, this);
    box->show();
    // Id 0 is an instrument like any other: whether one is known is the device count's to say.
    if (!link || link->device_count() == 0)
        return;
    const QMetaObject::Connection feed = connect(this, &MainWindow::serial_to_about, box, &About_Dialog_Box::add_serial);
    emit serial_to_about(link->current_device_id());
    disconnect(feed);
}

// ---- hand-over to the analysis screen ----

void MainWindow::on_To_Analysis_Screen_Button_clicked()
{
    // Hiding is left to a short timer so that the new window is up before this one goes.
    if (!hand_over_hide_timer) {
        hand_over_hide_timer = new QTimer(this);
        connect(hand_over_hide_timer, &QTimer::timeout, this, &MainWindow::hide_exp_window);
    }
    hand_over_hide_timer->start(1);
    const int user_row = ui->user_box->currentIndex();

    auto *window = new qv_analysis_window(nullptr);
    state.analysis_window = window;
    platform::place_window(window, pos(), this);
    connect(window, &qv_analysis_window::show_experiment_window, this, &MainWindow::show_this_window);
    connect(this, &MainWindow::pass_to_analysis, window, &qv_analysis_window::get_from_experiment);
    connect(this, &MainWindow::pass_user_from_experiment, window, &qv_analysis_window::get_user_from_experiment);
    connect(window, &qv_analysis_window::close_experiment, this, &MainWindow::close_wind);
    connect(window, &qv_analysis_window::settings_clicked_experiment, this, &MainWindow::on_settings_clicked);
    connect(this, &MainWindow::to_analysis, window, &qv_analysis_window::update_combobox);
    connect(this, &MainWindow::current_user_to_analysis, window, &qv_analysis_window::update_user_from_experiment);
    connect(this, &MainWindow::send_done, window, &qv_analysis_window::refresh_ui);
    connect(window, &qv_analysis_window::send_current_user, this, &MainWindow::select_index);
    connect(this, &MainWindow::current_exp_index, window, &qv_analysis_window::update_current_list);
    connect(this, &MainWindow::current_device, window, &qv_analysis_window::update_device);
    connect(this, &MainWindow::current_port, window, &qv_analysis_window::update_port);
    connect(window, &qv_analysis_window::close_exp_window, this, &MainWindow::hide_exp_window);
    window->setWindowIcon(QIcon(window_icon_path));
    window->show();

    QStringList row_methods;
    const int rows = std::min(ui->listWidget->count(), int(records.experiment_count()));
    for (int row = 0; row < rows; ++row)
        row_methods << records[row].method;
    for (int row : session::cyclic_rows(row_methods))
        emit pass_to_analysis(records[row]);
    emit send_done();

    for (const QString &message : session::analysis_user_messages(combo_entries(ui->user_box), user_row))
        emit pass_user_from_experiment(message);
    emit to_analysis(session::connection_state_message(ui->comboBox_2->currentText()));

    ui->user_box->setCurrentIndex(user_row);
    emit current_user_to_analysis(user_row);
    hide();

    // The experiment in hand is analysed first; with no current row (or another method) nothing is asked for.
    const int position = session::handed_over_position(row_methods, ui->listWidget->currentRow());
    // The signal carries a signed byte; a position past its range is left for the user to choose.
    if (position >= 0 && position <= INT8_MAX)
        emit current_exp_index(int8_t(position));
}

void MainWindow::open_startup_analysis()
{
    // An experiment named on the command line takes precedence, even one that could not be opened.
    if (!app_state::startup_experiment_path.isEmpty())
        return;
    const QString &path = app_state::startup_analysis_path;
    if (path.isEmpty() || !file_exists(path))
        return;
    // The analysis screen opens the document itself when it is built.
    on_To_Analysis_Screen_Button_clicked();
}

void MainWindow::on_actionShow_Peaks_triggered() { on_To_Analysis_Screen_Button_clicked(); }

// The form's second settings action has no command behind it.
void MainWindow::on_actionSettings_2_triggered() {}

void MainWindow::hide_exp_window()
{
    hide();
    if (hand_over_hide_timer)
        hand_over_hide_timer->stop();
}

void MainWindow::show_this_window()
{
    if (state.analysis_window)
        platform::place_window(this, state.analysis_window->pos());
    show();
}
