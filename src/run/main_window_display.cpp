// Curve colours, per-electrode visibility, hiding experiments, the legend switch, the axis dialog and Center.
#include <QDebug>
#include <QIcon>
#include <QPointer>

#include "dialogs/change_graph_color.h"
#include "dialogs/setaxis.h"
#include "dialogs/user_notice.h"
#include "lists/experiment_list_logic.h"
#include "platform/screen_metrics.h"
#include "plot/curve_display.h"
#include "plot/curve_palette.h"
#include "plot/qcp_compat.h"
#include "run/live_run.h"
#include "run/mainwindow.h"
#include "ui_mainwindow.h"
#include "platform/trace.h"

namespace {
const QString dialog_icon_path = QStringLiteral("Libraries/icons/QV_icons/qv256.ico");

// The dialogs delete themselves when they close; a guarded pointer notices that.
QPointer<Change_Graph_Color> colour_dialog;
QPointer<setaxis> axis_dialog;

void hide_curve(QCPCurve *c)
{
    c->setVisible(false);
    c->removeFromLegend();
}

record_extent extent_of(const curve &r) { return record_extent{r.e_min, r.e_max, r.i_min, r.i_max}; }
}  // namespace

// ---- helpers ------------------------------------------------------------------------------------

void MainWindow::redraw() { qcp::replot_hint(ui->widget); }

void MainWindow::set_legend_entry(QCPCurve *c, bool shown) const
{
    // Only a shown curve that holds points is listed: an electrode a record has no points for would leave an
    // empty entry in the legend and in exported images. The running record's curves fill as the run goes.
    const int run = running_record_index();
    const bool running = run >= 0 && (c == records[run].ch1_curve || c == records[run].ch2_curve);
    if (shown && (running || qcp::point_count(c) > 0))
        c->addToLegend();
    else
        c->removeFromLegend();
}

void MainWindow::show_curve(QCPCurve *c)
{
    c->setVisible(true);
    set_legend_entry(c, true);
}

int MainWindow::selected_count() const { return ui->listWidget->selectedItems().size(); }

bool MainWindow::summary_entry_current() const
{
    return ui->details_box->count() > 1 && ui->details_box->currentIndex() == 0;
}

void MainWindow::paint_swatches(const QColor &ch1, const QColor &ch2)
{
    ui->w1_color_line->setAutoFillBackground(true);
    ui->w2_color_line->setAutoFillBackground(true);
    ui->w1_color_line->setStyleSheet(swatch_style(ch1));
    ui->w2_color_line->setStyleSheet(swatch_style(ch2));
}

void MainWindow::paint_swatches_blank()
{
    ui->w1_color_line->setStyleSheet(blank_swatch_style());
    ui->w2_color_line->setStyleSheet(blank_swatch_style());
}

void MainWindow::paint_swatches_as_at_start()
{
    ui->w1_color_line->setStyleSheet(start_swatch_styles[0]);
    ui->w2_color_line->setStyleSheet(start_swatch_styles[1]);
}

// ---- colours ------------------------------------------------------------------------------------

QPen MainWindow::we1_pen(int record) const
{
    return valid_record(record) ? electrode_pen(records[record].ch1_colour) : QPen();
}

QPen MainWindow::we2_pen(int record) const
{
    return valid_record(record) ? electrode_pen(records[record].ch2_colour) : QPen();
}

void MainWindow::set_record_colours(uint8_t pair1, uint8_t pair2, uint8_t record, bool no_swatches)
{
    if (!valid_record(record))
        return;
    curve &r = records[record];
    r.ch1_colour = pair_colour_ch1(pair1);
    r.ch2_colour = pair_colour_ch2(pair2);
    r.ch1_curve->setPen(we1_pen(record));
    r.ch2_curve->setPen(we2_pen(record));
    redraw();
    if (!no_swatches)
        paint_swatches(r.ch1_colour, r.ch2_colour);
}

void MainWindow::show_record_colour_swatches(int record)
{
    if (!valid_record(record))
        return;
    const curve &r = records[record];
    paint_swatches(r.ch1_colour, r.ch2_colour);
    r.ch1_curve->setPen(we1_pen(record));
    r.ch2_curve->setPen(we2_pen(record));
    redraw();
}

void MainWindow::apply_detail_colors(int record)
{
    show_record_colour_swatches(record);
    if (selected_count() > 1) {
        paint_swatches_blank();
        if (ui->details_box->count() > 0) {
            const QSignalBlocker blocker(ui->details_box);
            ui->details_box->setCurrentIndex(0);
        }
    }
}

void MainWindow::reset_list_style()
{
    if (selected_count() > 1)
        paint_swatches_blank();
}

void MainWindow::on_color_clicked()
{
    if (ui->listWidget->currentRow() < 0 || !(ui->w1_check->isChecked() || ui->w2_check->isChecked()))
        return;
    const int record = selected_rows();
    if (!valid_record(record))
        return;
    colour_dialog = new Change_Graph_Color(nullptr);
    colour_dialog->setWindowIcon(QIcon(dialog_icon_path));
    colour_dialog->setWindowModality(Qt::ApplicationModal);
    platform::place_over(colour_dialog, this);
    colour_dialog->show();
    connect(this, &MainWindow::current_color, colour_dialog.data(), &Change_Graph_Color::get_colors);
    connect(colour_dialog.data(), &Change_Graph_Color::color_changed, this, &MainWindow::update_color);
    emit current_color(records[record].ch1_colour, records[record].ch2_colour);
}

void MainWindow::update_color(uint8_t ch1_pair, uint8_t ch2_pair)
{
    if (selected_count() >= 2 && ui->details_box->currentIndex() == 0) {
        for (int record : selection_snapshot())
            set_record_colours(ch1_pair, ch2_pair, uint8_t(record), true);
        return;
    }
    const int record = selected_rows();
    if (valid_record(record))
        set_record_colours(ch1_pair, ch2_pair, uint8_t(record), false);
}

// ---- visibility ---------------------------------------------------------------------------------

void MainWindow::apply_record_visibility(int record)
{
    if (!valid_record(record))
        return;
    const curve &r = records[record];
    const std::pair<uint8_t, QCPCurve *> electrodes[] = {{r.ch1_shown, r.ch1_curve}, {r.ch2_shown, r.ch2_curve}};
    for (const auto &[shown, c] : electrodes) {
        if (shown) {
            if (r.hidden)
                return;  // a hidden experiment keeps its curves as they are
            show_curve(c);
        } else {
            hide_curve(c);
        }
    }
}

void MainWindow::hide_record_graphs(int record)
{
    if (!valid_record(record))
        return;
    hide_curve(records[record].ch1_curve);
    hide_curve(records[record].ch2_curve);
}

void MainWindow::toggle_electrode_graph(int record, bool ch1)
{
    if (!valid_record(record))
        return;
    curve &r = records[record];
    uint8_t &shown = ch1 ? r.ch1_shown : r.ch2_shown;
    QCPCurve *c = ch1 ? r.ch1_curve : r.ch2_curve;
    const bool ticked = (ch1 ? ui->w1_check : ui->w2_check)->isChecked();
    if (!r.hidden) {
        if (ticked && !shown) {
            shown = 1;
            show_curve(c);
        } else if (!ticked && shown) {
            shown = 0;
            hide_curve(c);
        }
    }
    if (summary_entry_current()) {
        redraw();
        return;
    }
    show_record_colour_swatches(record);
}

void MainWindow::toggle_we1_graph(int record) { toggle_electrode_graph(record, true); }
void MainWindow::toggle_we2_graph(int record) { toggle_electrode_graph(record, false); }

void MainWindow::on_w1_check_clicked()
{
    if (summary_entry_current()) {
        for (int record : selection_snapshot())
            toggle_we1_graph(record);
        return;
    }
    toggle_we1_graph(selected_rows());
}

void MainWindow::on_w2_check_clicked()
{
    if (summary_entry_current()) {
        for (int record : selection_snapshot())
            toggle_we2_graph(record);
        return;
    }
    toggle_we2_graph(selected_rows());
}

void MainWindow::on_Open_Experiment_2_clicked()
{
    const int current = ui->listWidget->currentRow();
    if (!valid_record(current))
        return;
    const bool hide = ui->Open_Experiment_2->isChecked();
    QVector<int> targets{current};
    if (selected_count() > 1 && ui->details_box->currentIndex() == 0)
        targets = selection_snapshot();
    for (int record : targets) {
        curve &r = records[record];
        // Legend entries stay as they are; only drawing changes.
        r.ch1_curve->setVisible(!hide && r.ch1_shown);
        r.ch2_curve->setVisible(!hide && r.ch2_shown);
        r.hidden = hide ? 1 : 0;
    }
    redraw();
}

void MainWindow::set_graphs_visible(int record)
{
    if (!valid_record(record))
        return;
    const curve &r = records[record];
    set_legend_entry(r.ch1_curve, ui->Channel_WE1->isChecked());
    set_legend_entry(r.ch2_curve, ui->Channel_WE2->isChecked());
}

void MainWindow::legend_menu()
{
    legend_shown = legend_shown ? 0 : 1;
    ui->widget->legend->setVisible(legend_shown);
    redraw();
}

// ---- axes -----------------------------------------------------------------------------------------

void MainWindow::set_axis()
{
    axis_dialog = new setaxis(nullptr);
    axis_dialog->setWindowIcon(QIcon(dialog_icon_path));
    axis_dialog->setWindowModality(Qt::ApplicationModal);
    // Chronoamperometry and amperometry plot time across: the boxes must hold and name a time range.
    if (ui->widget->xAxis->label() == experiment_list::x_axis_label(true))
        axis_dialog->set_time_axis();
    platform::place_over(axis_dialog, this);
    axis_dialog->show();
    connect(axis_dialog.data(), &setaxis::send_axis_experiment, this, &MainWindow::updateaxis);
    connect(this, &MainWindow::send_axisval, axis_dialog.data(), &setaxis::get_axis_values);
    const QCPRange x = ui->widget->xAxis->range();
    const QCPRange y = ui->widget->yAxis->range();
    emit send_axisval(y.upper, y.lower, x.upper, x.lower, setaxis::run_screen_mode);
}

void MainWindow::updateaxis(double y_upper, double y_lower, double x_upper, double x_lower)
{
    ui->widget->xAxis->setRange(x_lower, x_upper);
    ui->widget->yAxis->setRange(y_lower, y_upper);
    redraw();
}

void MainWindow::include_in_axes(int record)
{
    if (!valid_record(record))
        return;
    // Widens the axes, as far as needed, to hold the record's whole range.
    const curve &r = records[record];
    QCPRange x = ui->widget->xAxis->range();
    QCPRange y = ui->widget->yAxis->range();
    x.expand(QCPRange(r.e_min, r.e_max));
    y.expand(QCPRange(r.i_min, r.i_max));
    ui->widget->xAxis->setRange(x);
    ui->widget->yAxis->setRange(y);
}

void MainWindow::include_selection_in_axes()
{
    for (int record : selection_snapshot()) {
        if (!records[record].hidden)
            include_in_axes(record);
    }
}

void MainWindow::set_axis_ranges(const fitted_ranges &fit)
{
    if (fit.set_x)
        ui->widget->xAxis->setRange(fit.x_lower, fit.x_upper);
    if (fit.set_y)
        ui->widget->yAxis->setRange(fit.y_lower, fit.y_upper);
}

bool MainWindow::fit_axes_to_run()
{
    // The record alone would give only the samples so far: the sweep still to come would run off the plot.
    const int run = running_record_index();
    const QVector<int> selected = selection_snapshot();
    if (run < 0 || !selected.contains(run))
        return false;
    run_extent extent;
    extent.span_from = run_path->span().lower;
    extent.span_to = run_path->span().upper;
    run_extremes live = run_path->decoding().extremes;
    widen_axis_extremes(live, run_path->drawn());
    if (live.any) {
        const axis_range y = y_axis_range(live);
        extent.has_samples = true;
        extent.samples = record_extent{live.e_min, live.e_max, y.lower, y.upper};
    }
    QVector<record_extent> shown;
    for (int record : selected) {
        if (record != run && !records[record].hidden)
            shown << extent_of(records[record]);
    }
    set_axis_ranges(fit_run_ranges(extent, shown));
    return true;
}

void MainWindow::on_Center_clicked()
{
    const int current = ui->listWidget->currentRow();
    if (!valid_record(current))
        return;
    ui->widget->axisRect()->insetLayout()->setInsetRect(0, QRectF(0, 0, 0, 0));
    if (!fit_axes_to_run()) {
        QVector<record_extent> selected;
        for (int record : selection_snapshot())
            selected << extent_of(records[record]);
        set_axis_ranges(fit_ranges(extent_of(records[current]), selected));
    }
    redraw();
}

// ---- files ----------------------------------------------------------------------------------------

void MainWindow::open_file_loc()
{
    const int current = ui->listWidget->currentRow();
    qCDebug(rz410_trace) << "open folder of row" << current;
    if (!current_row_on_show())
        return;
    open_folder_location(this, records[current].directory);
}
