// Run control on the run screen: Start, the run clock, receiving samples, the end of a run and Stop, and the
// filtering of live and stored curves with the filter menus and the details' "Filter:" line.
#include "run/mainwindow.h"

#include <QAction>
#include <QActionGroup>
#include <QDebug>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMessageBox>
#include <QSerialPort>
#include <QSignalBlocker>
#include <QTimer>

#include "filtering/curve_filtering.h"
#include "instrument/instrument_link.h"
#include "instrument/parameter_frames.h"
#include "plot/curve_display.h"
#include "plot/curve_palette.h"
#include "plot/qcp_compat.h"
#include "run/live_run.h"
#include "run/method_setup.h"
#include "run/run_start.h"
#include "ui_mainwindow.h"
#include "platform/trace.h"

namespace {
constexpr int run_clock_interval_ms = 1000;
// During a run the plot is redrawn at most this often. The instrument's bytes may arrive a frame at a time, and
// a redraw of a long run costs milliseconds; the curves themselves follow every batch.
constexpr int live_redraw_interval_ms = 50;
// After the stop command the instrument finishes the frame it is sending, and frames may still wait in the
// system's buffer or on the wire; they belong to the run. Reading goes on until the line has been quiet this
// long, over several looks at it (a busy machine can stall the event loop for longer than the quiet time),
// and never longer than the cap, in case an instrument goes on sending.
constexpr int stop_quiet_ms = 50;
constexpr int stop_look_interval_ms = 10;
constexpr int stop_quiet_looks = 5;
constexpr int stop_drain_cap_ms = 500;

// Points of a curve as a series, for the stored-record passes.
curve_filtering::series series_of(const QCPCurve *c)
{
    qcp::points p = qcp::read_points(c);
    return {std::move(p.keys), std::move(p.values)};
}
}  // namespace

void MainWindow::setup_run_control()
{
    run_path = std::make_unique<live_run>();
    live_redraw = new QTimer(this);
    live_redraw->setSingleShot(true);
    live_redraw->setInterval(live_redraw_interval_ms);
    connect(live_redraw, &QTimer::timeout, this, [this] { qcp::replot_hint(ui->widget); });
    connect(state.run_clock, &QTimer::timeout, this, &MainWindow::update_timer);
    if (link) {
        connect(&link->main_port(), &QSerialPort::readyRead, this, &MainWindow::serialReceived);
        connect(link, &instrument_link::run_interrupted, this, &MainWindow::instrument_lost_during_run);
    }
    load_config();
    default_experiment_name();
    update_duration();
}

// ---- Start ----

QString MainWindow::unique_experiment_name() const
{
    QStringList rows;
    for (int i = 0; i < ui->listWidget->count(); ++i)
        rows << ui->listWidget->item(i)->text();
    const QString base = ui->New_Experiment_Name->text();
    QString candidate = base;
    for (int n = 1; rows.contains(candidate, Qt::CaseSensitive); ++n)
        candidate = base + QLatin1Char('_') + QString::number(n);
    return candidate;
}

std::array<bool, 7> MainWindow::checked_filter_modes() const
{
    const QAction *actions[7] = {ui->actionAutomatic, ui->actionRaw_Data, ui->action0_5Hz, ui->action1Hz,
                                 ui->action2Hz,       ui->action5Hz,      ui->action10Hz};
    std::array<bool, 7> checked{};
    for (size_t i = 0; i < checked.size(); ++i)
        checked[i] = actions[i]->isChecked();
    return checked;
}

void MainWindow::set_method_controls_locked(bool locked)
{
    // The running record's method, electrodes and page are fixed at Start; the frame has been sent. A loaded
    // protocol would change them as well.
    ui->Method->setEnabled(!locked);
    ui->stackedWidget->setEnabled(!locked);
    ui->Load_Protocol->setEnabled(!locked);
    ui->actionLoad_Protocol->setEnabled(!locked);
    ui->actionSave_As->setEnabled(!locked);
}

void MainWindow::set_run_controls(bool running)
{
    ui->Stop->setEnabled(running);
    for (QWidget *w : {static_cast<QWidget *>(ui->comboBox_2), static_cast<QWidget *>(ui->Start),
                       static_cast<QWidget *>(ui->Open), static_cast<QWidget *>(ui->Center),
                       static_cast<QWidget *>(ui->Image), static_cast<QWidget *>(ui->Save),
                       static_cast<QWidget *>(ui->export_2), static_cast<QWidget *>(ui->settings)})
        w->setEnabled(!running);
    ui->actionOpen->setEnabled(!running);
    ui->actionChange_Port->setEnabled(!running);
    ui->Make_Report->setEnabled(false);
    // Records cannot go while a run writes into one of them; update_buttons gives the buttons back after it.
    if (running) {
        ui->Delete_Experiment->setEnabled(false);
        ui->Delete_Experiment_2->setEnabled(false);
    }
    set_method_controls_locked(running);
}

void MainWindow::on_actionStart_triggered()
{
    if (ui->Start->isEnabled())
        on_Start_clicked();
}

void MainWindow::on_Start_clicked()
{
    // Start is enabled only while an instrument is connected; a run without one would never end.
    if (run_active || !link || !link->is_connected())
        return;
    const std::optional<method_index> method = method_from_index(ui->Method->currentIndex());
    if (!method)
        return;
    const method_pages pages = protocol_form_values();
    const bool we1 = ui->Channel_WE1->isChecked();
    const bool we2 = ui->Channel_WE2->isChecked();
    const start_refusal refusal = check_run_start(records.full(), *method, pages, we1, we2);
    if (refusal != start_refusal::none) {
        if (show_run_error)
            show_run_error(start_refusal_title(refusal), start_refusal_text(refusal));
        else
            QMessageBox::critical(this, start_refusal_title(refusal), start_refusal_text(refusal));
        return;
    }

    // The new record, its row and its curves. The live curves still hold the last run's points, which are its
    // record's raw curves: they get containers of their own before anything is cleared.
    qcp::own_points(state.live_curve1);
    qcp::own_points(state.live_curve2);
    const QString name = unique_experiment_name();
    const int n = reserve_next_record();
    if (n < 0)
        return;
    curve &record = records[n];
    const start_record_fields fields = record_fields_at_start(*method, pages, we1, we2, checked_filter_modes());
    record.saved = 0;
    record.name = name;
    record.device_id = link->current_device_id();
    record.ch1_colour = pair_colour_ch1(palette_pair_for_record(n));
    record.ch2_colour = pair_colour_ch2(palette_pair_for_record(n));
    record.cycles = fields.cycles;
    record.ch1_shown = fields.ch1_shown;
    record.ch2_shown = fields.ch2_shown;
    record.method = fields.method;
    record.rate = fields.rate;
    record.filter_hz = fields.filter_hz;
    for (QCPCurve *c : {record.ch1_curve, record.ch2_curve, record.ch1_raw_curve, record.ch2_raw_curve})
        qcp::clear_points(c);
    // The raw curves hold exactly the live samples during a run; one container serves both, so a long run keeps
    // its samples once rather than twice.
    qcp::share_points(state.live_curve1, record.ch1_raw_curve);
    qcp::share_points(state.live_curve2, record.ch2_raw_curve);
    record.ch1_curve->setPen(we1_pen(n));
    record.ch2_curve->setPen(we2_pen(n));
    record.ch1_curve->setName(name + QStringLiteral("_w1"));
    record.ch2_curve->setName(name + QStringLiteral("_w2"));

    ui->listWidget->addItem(name);
    QFont font(QStringLiteral("Calibri"), 12, 50, true);
    ui->listWidget->item(ui->listWidget->count() - 1)->setFont(font);

    QSerialPort &port = link->main_port();
    port.clear(QSerialPort::AllDirections);
    state.rx_buffer.clear();
    ui->connected_label_3->setText(QStringLiteral("Running"));
    set_run_controls(true);
    if (we1)
        record.ch1_curve->addToLegend();
    else
        record.ch1_curve->removeFromLegend();
    if (we2)
        record.ch2_curve->addToLegend();
    else
        record.ch2_curve->removeFromLegend();

    ui->details->clear();
    state.extra_time_s = read_config_extra_time();
    run_settings settings;
    settings.we1 = we1;
    settings.we2 = we2;
    settings.range_index = ui->Current_Range->currentIndex();
    settings.extra_time_s = state.extra_time_s;
    details_context context;
    context.filter_hz = record.filter_hz;
    context.started = QDateTime::currentDateTime();
    context.user = ui->user_box->currentText();
    context.device_id = record.device_id;
    const parameter_frame_result built = build_parameter_frame(*method, pages, settings, context);
    record.channel_code = built.channel_code;
    record.resolution = built.resolution;
    record.details = built.details;
    if (built.rate)
        record.rate = *built.rate;
    if (built.lead_time_s)
        record.lead_time_s = *built.lead_time_s;
    if (built.cycles)
        record.cycles = *built.cycles;
    if (built.e_start)
        record.e_start = *built.e_start;
    ui->widget->xAxis->setRange(built.x_lower, built.x_upper);

    live_run_setup setup;
    setup.method = *method;
    setup.method_name = record.method;
    setup.filter_hz = record.filter_hz;
    setup.rate = record.rate;
    setup.cycles = record.cycles;
    setup.lead_time_s = record.lead_time_s;
    setup.details = record.details;
    run_path->start(setup, built);
    dropped_frames_told = 0;
    run_record = n;
    run_active = true;

    state.running_method = uint8_t(*method);
    state.run_clock->start(run_clock_interval_ms);
    if (!link->send_parameter_frame(built.frame)) {
        // Nothing reached the instrument: the screen must not go on saying "Running".
        qWarning() << "the parameter frame could not be written; the run ends";
        end_run(run_ending::instrument_lost);
        return;
    }
    update_duration();

    ui->listWidget->setCurrentRow(n);
    ui->listWidget->item(n)->setSelected(true);
    on_listWidget_itemClicked(ui->listWidget->item(n));
    if (!ui->Open_Experiment_5->isChecked())
        on_Open_Experiment_5_clicked();
    update_buttons();
    reset_list_style();
    qcp::replot_hint(ui->widget);
}

// ---- the run clock ----

void MainWindow::update_timer()
{
    const clock_tick tick = tick_run_clock(state.clock);
    state.clock = tick.counters;
    show_clock(tick.display);
}

// ---- receiving ----

void MainWindow::take_received_bytes()
{
    const decoded_batch batch = run_path->receive(state.rx_buffer);
    if (batch.dropped_frames > 0 && dropped_frames_told++ < 10)
        qCDebug(rz410_trace) << "frames dropped:" << batch.dropped_frames;
    // The hidden live curves follow the samples as they come; nothing is drawn from them.
    sync_curve(state.live_curve1, run_path->live(0), sync_mode::growing_prefix);
    sync_curve(state.live_curve2, run_path->live(1), sync_mode::growing_prefix);
    update_run_extremes();
    if (batch.end_of_run)
        end_run(run_ending::end_frame);
}

void MainWindow::update_run_extremes()
{
    const run_decoding_context &ctx = run_path->decoding();
    if (run_record < 0 || !ctx.extremes.any)
        return;
    curve &record = records[run_record];
    record.e_min = ctx.extremes.e_min;
    record.e_max = ctx.extremes.e_max;
    record.i_min = ctx.extremes.i_min;
    record.i_max = ctx.extremes.i_max;
    if (ctx.e_start_known && run_path->setup().method != method_index::chronoamperometry)
        record.e_start = ctx.e_start;
    fit_axes_to_run();
}

void MainWindow::serialReceived()
{
    QSerialPort *port = link ? &link->main_port() : nullptr;
    if (!port)
        return;
    const QSignalBlocker blocker(port);
    state.rx_buffer += port->readAll();
    if (!run_active) {
        // Bytes outside a run belong to no record: a late end frame must not end (and autosave) a run twice,
        // and stray samples must not rewrite the newest record.
        state.rx_buffer.clear();
        return;
    }
    take_received_bytes();
    if (!run_active)
        return;  // the end frame has run the final passes
    show_run_curves(false);
}

void MainWindow::show_run_curves(bool final)
{
    if (run_record < 0)
        return;
    const curve &record = records[run_record];
    QCPCurve *raw[2] = {record.ch1_raw_curve, record.ch2_raw_curve};
    QCPCurve *shown[2] = {record.ch1_curve, record.ch2_curve};
    bool drawn_grew = false;
    for (int e = 0; e < live_run::electrodes; ++e) {
        const int n = run_path->live_count(e);
        // A batch pass waits for a few samples; the final pass always runs, so even a very short run keeps
        // its samples, unfiltered when there are too few to filter.
        const bool due = final ? n > 0 : curve_filtering::batch_pass_due(run_active, n);
        if (!due || !run_path->pass(e, final))
            continue;
        // The final pass compares every point, so the finished record is exact whatever happened before.
        const sync_mode mode = final ? sync_mode::compare_all : sync_mode::growing_prefix;
        sync_curve(raw[e], run_path->live(e), mode);
        const int kept = sync_curve(shown[e], run_path->shown(e), mode);
        drawn_grew = run_path->take_drawn(e, kept) || drawn_grew;
    }
    if (drawn_grew && !final)
        fit_axes_to_run();
    if (final) {
        live_redraw->stop();
        qcp::replot_hint(ui->widget);
    } else if (!live_redraw->isActive()) {
        live_redraw->start();
    }
}

// ---- the end of a run ----

void MainWindow::end_run(run_ending how)
{
    if (!run_active)
        return;
    state.run_clock->stop();
    run_active = false;
    set_run_controls(false);
    if (how == run_ending::instrument_lost) {
        // The link shows what is left of the connection; nothing can start until an instrument answers.
        ui->Start->setEnabled(false);
        ui->connected_label_3->setText(QStringLiteral("Disconnected"));
    } else {
        ui->connected_label_3->setText(QStringLiteral("Ready"));
    }
    update_duration();
    if (how == run_ending::end_frame && link) {
        link->main_port().clear(QSerialPort::AllDirections);
        state.rx_buffer.clear();
    }
    show_run_curves(true);
    // The final pass may carry a smoothed peak beyond the samples' own extremes: the finished record keeps those of
    // its curves as drawn, as a re-filter and a reopened file do, so that every later fit of the axes holds them.
    take_drawn_extremes(run_record);
    // During the run the axes held its span and the curves shown beside it, as long as its row was selected.
    // When it ends, the finished record and every curve shown with it (overlay view) lie inside the axes.
    if (run_path->decoding().extremes.any) {
        include_in_axes(run_record);
        include_selection_in_axes();
        qcp::replot_hint(ui->widget);
    }
    // The record's curves hold the run now; the receive path's own copies of its samples are let go (before the
    // autosave, whose progress box turns the event loop, in which the next run may start).
    run_path = std::make_unique<live_run>();
    const int record = run_record;
    autosave_record(record);
    update_buttons();
}

void MainWindow::on_actionStop_triggered()
{
    if (run_in_progress())
        on_Stop_clicked();
}

void MainWindow::on_Stop_clicked()
{
    // Stop goes off while the last frames are read, so that the stop is not sent twice.
    if (!run_active || !ui->Stop->isEnabled())
        return;
    if (link) {
        link->send_stop_command();
        ui->Stop->setEnabled(false);
        QSerialPort &port = link->main_port();
        if (port.isOpen()) {
            state.rx_buffer += port.readAll();
            // The receive slot takes the frames that come meanwhile; each arrival starts the quiet time again.
            QEventLoop drain;
            QElapsedTimer since_bytes, since_stop;
            since_bytes.start();
            since_stop.start();
            int quiet_looks = 0;
            QTimer look;
            connect(&port, &QSerialPort::readyRead, &drain, [&] {
                since_bytes.restart();
                quiet_looks = 0;
            });
            connect(&look, &QTimer::timeout, &drain, [&] {
                const bool quiet = ++quiet_looks >= stop_quiet_looks && since_bytes.elapsed() >= stop_quiet_ms;
                if (quiet || since_stop.elapsed() >= stop_drain_cap_ms)
                    drain.quit();
            });
            look.start(stop_look_interval_ms);
            drain.exec();
        }
        if (!run_active)
            return;  // the end frame came meanwhile and ended the run
    }
    take_received_bytes();
    end_run(run_ending::stop);
    state.rx_buffer.clear();
}

void MainWindow::instrument_lost_during_run()
{
    if (!run_active)
        return;
    // The port is failing or gone: what was received is kept, with whatever the port still holds, and the run
    // ends as with Stop, without the stop command.
    if (link && link->main_port().isOpen())
        state.rx_buffer += link->main_port().readAll();
    take_received_bytes();
    end_run(run_ending::instrument_lost);
    state.rx_buffer.clear();
}

// ---- filter menus ----

void MainWindow::choose_filter_mode(int mode)
{
    if (!state.filter_actions || mode < 0 || mode >= state.filter_actions->actions().size())
        return;
    state.filter_actions->actions().at(mode)->setChecked(true);
    state.filter_cutoff = curve_filtering::mode_cutoff_hz(mode);
}

float MainWindow::selected_filter_cutoff() const
{
    return curve_filtering::selected_filter_cutoff(checked_filter_modes());
}

namespace {
void remember_filter_mode(run_screen_state &state, int method_box_index, int mode)
{
    if (method_box_index >= 0 && method_box_index < int(state.filter_choice.size()))
        state.filter_choice[size_t(method_box_index)] = uint8_t(mode);
    state.filter_cutoff = curve_filtering::mode_cutoff_hz(mode);
}
}  // namespace

void MainWindow::on_actionAutomatic_triggered()
{
    remember_filter_mode(state, ui->Method->currentIndex(), curve_filtering::mode_automatic);
}
void MainWindow::on_actionRaw_Data_triggered()
{
    remember_filter_mode(state, ui->Method->currentIndex(), curve_filtering::mode_raw);
}
void MainWindow::on_action0_5Hz_triggered()
{
    remember_filter_mode(state, ui->Method->currentIndex(), curve_filtering::mode_0_5hz);
}
void MainWindow::on_action1Hz_triggered()
{
    remember_filter_mode(state, ui->Method->currentIndex(), curve_filtering::mode_1hz);
}
void MainWindow::on_action2Hz_triggered()
{
    remember_filter_mode(state, ui->Method->currentIndex(), curve_filtering::mode_2hz);
}
void MainWindow::on_action5Hz_triggered()
{
    remember_filter_mode(state, ui->Method->currentIndex(), curve_filtering::mode_5hz);
}
void MainWindow::on_action10Hz_triggered()
{
    remember_filter_mode(state, ui->Method->currentIndex(), curve_filtering::mode_10hz);
}

// ---- stored records ----

void MainWindow::filter_experiment(uint16_t index)
{
    if (index >= records.experiment_count() || int(index) == running_record_index())
        return;
    curve &record = records[index];
    if (curve_filtering::is_raw_cutoff(record.filter_hz)) {
        qcp::replot_hint(ui->widget);
        return;
    }
    const curve_filtering::series raw1 = series_of(record.ch1_raw_curve);
    const curve_filtering::series raw2 = series_of(record.ch2_raw_curve);
    // The electrodes recorded are those with samples, whatever the show/hide boxes say.
    const bool both = curve_filtering::both_electrodes_of_raw(raw1.keys.size(), raw2.keys.size());
    const double fs =
        curve_filtering::record_sampling_rate_hz(record.method, record.rate, both, record.resolution, record.details);
    qCDebug(rz410_trace) << "cut off:" << curve_filtering::normalised_cutoff(record.filter_hz, fs);
    // The point counts come from the raw curves: the shown ones may have been left short by an earlier pass.
    curve_filtering::stored_layout layout;
    layout.method = record.method;
    layout.rate = record.rate;
    layout.cycles = record.cycles;
    layout.lead_time_s = record.lead_time_s;
    layout.both_electrodes = both;
    if (raw1.keys.size() > 4)
        sync_curve(record.ch1_curve, curve_filtering::refiltered_record(raw1, record.filter_hz, fs, layout));
    if (raw2.keys.size() > 4)
        sync_curve(record.ch2_curve, curve_filtering::refiltered_record(raw2, record.filter_hz, fs, layout));
    take_drawn_extremes(index);
    qcp::replot_hint(ui->widget);
}

void MainWindow::show_raw_curves(int index)
{
    curve &record = records[index];
    sync_curve(record.ch1_curve, series_of(record.ch1_raw_curve));
    sync_curve(record.ch2_curve, series_of(record.ch2_raw_curve));
    take_drawn_extremes(index);
}

void MainWindow::take_drawn_extremes(int index)
{
    // Another cut-off raises or lowers the peaks: Center and every fit of the axes must hold the curve as drawn.
    if (!valid_record(index))
        return;
    curve &record = records[index];
    const run_extremes drawn = drawn_extremes({qcp::read_points(record.ch1_curve), qcp::read_points(record.ch2_curve)});
    if (!drawn.any)
        return;
    record.i_min = drawn.i_min;
    record.i_max = drawn.i_max;
}

void MainWindow::refilter_selection(float filter_hz)
{
    if (ui->listWidget->currentRow() < 0)
        return;
    for (const QModelIndex &row : ui->listWidget->selectionModel()->selectedRows(0)) {
        const int r = row.row();
        // The running record keeps the cut-off its run filters with until the run ends.
        if (r < 0 || r >= records.experiment_count() || r == running_record_index())
            continue;
        curve &record = records[r];
        // Another cut-off changes what the record's file would hold (its filter line and DATA); the same one
        // chosen again changes nothing.
        if (!curve_filtering::same_cutoff(record.filter_hz, filter_hz))
            mark_unsaved(r);
        record.filter_hz = filter_hz;
        if (curve_filtering::is_raw_cutoff(filter_hz)) {
            show_raw_curves(r);
            qcp::replot_hint(ui->widget);
        } else {
            filter_experiment(uint16_t(r));
        }
    }
    // A lighter cut-off, or the raw samples, may carry a peak past the axes: the curves on show stay whole,
    // as at the end of a run. The axes never narrow here, so a view the user widened is kept.
    include_selection_in_axes();
    qcp::replot_hint(ui->widget);
    set_filter_label(curve_filtering::filter_value_text(filter_hz));
}

void MainWindow::filt_menuraw() { refilter_selection(0.0f); }
void MainWindow::filt_menu05() { refilter_selection(0.5f); }
void MainWindow::filt_menu1() { refilter_selection(1.0f); }
void MainWindow::filt_menu2() { refilter_selection(2.0f); }
void MainWindow::filt_menu5() { refilter_selection(5.0f); }
void MainWindow::filt_menu10() { refilter_selection(10.0f); }

void MainWindow::filt_menu()
{
    const int row = ui->listWidget->currentRow();
    if (row >= 0)
        filter_experiment(uint16_t(row));
}

void MainWindow::show_raw_data()
{
    const int row = ui->listWidget->currentRow();
    if (row < 0 || row >= records.experiment_count() || row == running_record_index())
        return;
    const curve &record = records[row];
    show_raw_curves(row);
    qCDebug(rz410_trace) << "show raw data():" << qcp::point_count(record.ch1_raw_curve)
                         << qcp::point_count(record.ch1_curve) << row;
    qcp::replot_hint(ui->widget);
}

void MainWindow::set_filter_label(const QString &value)
{
    QListWidget *list = ui->listWidget;
    for (const QModelIndex &row : list->selectionModel()->selectedRows(0)) {
        const int r = row.row();
        if (r < 0 || r >= records.experiment_count() || r == running_record_index())
            continue;
        curve &record = records[r];
        curve_filtering::set_filter_line(record.details, record.method, value);
        // The details list shows the current record's lines; keep them true without running the box handlers.
        if (list->currentItem() && list->currentItem()->text() == ui->details_box->currentText()) {
            const QSignalBlocker details_blocker(ui->details);
            const QSignalBlocker box_blocker(ui->details_box);
            ui->details->clear();
            ui->details->addItems(record.details);
        }
    }
}
