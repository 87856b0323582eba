// The analysis screen's side of the hand-over: experiments, users and the connection state from the run
// screen, and the way back.
#include <QComboBox>
#include <QDebug>
#include <QLineEdit>
#include <QSlider>

#include "analysis/analysis_values.h"
#include "analysis/handover_rules.h"
#include "analysis/qv_analysis_window.h"
#include "plot/curve_display.h"
#include "plot/qcp_compat.h"
#include "ui_qv_analysis_window.h"

namespace {

// A new curve of the window's own holding a copy of `source`'s points; the run screen's curve is never shared,
// so that it may change or go while this window lives.
QCPCurve *copy_curve(QCustomPlot *plot, const QCPCurve *source, const QColor &colour)
{
    auto *copy = new QCPCurve(plot->xAxis, plot->yAxis);
    const qcp::points p = qcp::read_points(source);
    qcp::set_points(copy, p.keys, p.values);
    copy->setPen(electrode_pen(colour));
    copy->setVisible(false);
    return copy;
}

}  // namespace

void qv_analysis_window::get_from_experiment(const curve &record)
{
    if (received >= capacity) {
        // The row number would wrap onto experiment 0 and overwrite it; a record that does not fit is left out.
        qWarning() << "analysis screen: no room for experiment" << record.name;
        return;
    }
    const signal_hold held = hold({ui->Experiment_2B_Analyzed, ui->Cycle_to_analyze, ui->channel_to_analyze,
                                   ui->anodic, ui->cathodic});
    curve &e = experiments[static_cast<size_t>(received)];
    e.ch1_colour = record.ch1_colour;
    e.ch2_colour = record.ch2_colour;
    e.details = record.details;
    e.name = record.name;
    e.saved_name = record.saved_name;
    e.i_max = record.i_max;
    e.i_min = record.i_min;
    e.e_max = record.e_max;
    e.e_min = record.e_min;
    e.cycles = record.cycles;
    e.e_start = record.e_start;
    e.method = record.method;
    e.rate = record.rate;
    e.resolution = record.resolution;
    e.channel_code = record.channel_code;
    e.ch1_shown = record.ch1_shown;
    e.ch2_shown = record.ch2_shown;
    e.ch1_curve = copy_curve(ui->widget2, record.ch1_curve, e.ch1_colour);
    e.ch2_curve = copy_curve(ui->widget2, record.ch2_curve, e.ch2_colour);
    ++received;
    // Added quietly: the experiment box's slot analyses, and the run screen asks for that once all is here.
    ui->Experiment_2B_Analyzed->addItem(e.name);
    // While records arrive the box keeps showing its first row.
    const int shown = ui->Experiment_2B_Analyzed->currentIndex();
    fill_cycle_and_channel(shown, refill::as_filled);
    const curve &first = experiments[size_t(shown)];
    QCPCurve *drawn = ui->channel_to_analyze->currentIndex() == 1 ? first.ch2_curve : first.ch1_curve;
    for (QCPCurve *c : {first.ch1_curve, first.ch2_curve})
        c->setVisible(c == drawn);
    // The record's extremes frame the plot; a record without usable extremes is framed by its points.
    if (first.e_min < first.e_max && first.i_min < first.i_max) {
        ui->widget2->xAxis->setRange(first.e_min, first.e_max);
        ui->widget2->yAxis->setRange(first.i_min, first.i_max);
    } else if (qcp::point_count(drawn) > 0) {
        drawn->rescaleAxes();
    }
    replot();
}

void qv_analysis_window::refresh_ui()
{
    if (received == 0)
        return;
    ui->Experiment_2B_Analyzed->setCurrentIndex(0);
    on_Experiment_2B_Analyzed_currentIndexChanged(0);
}

void qv_analysis_window::get_user_from_experiment(const QString &name)
{
    const handover::user_entry entry = handover::parse_user_message(name);
    if (!entry.add)
        return;
    {
        // Rows arrive quietly: the run screen already has its user, and telling it of each passing row would
        // switch its user back and forth during the hand-over. Only the marked row is selected openly below.
        const QSignalBlocker held(ui->user_box);
        ui->user_box->addItem(entry.name);
    }
    if (!entry.current)
        return;
    select_user_row(ui->user_box->count() - 1);
    // The analyses made before the users arrived are the current user's.
    bool named = false;
    for (int r = 0; r < analysis_count(); ++r)
        named = analysis::name_missing_user(book.record(r).details, entry.name) || named;
    if (named)
        refresh_details();
}

void qv_analysis_window::select_user_row(int row)
{
    {
        const QSignalBlocker held(ui->user_box);
        ui->user_box->setCurrentIndex(row);
    }
    // The box made its first row current on its own while it was quiet, so selecting that row changes nothing
    // and would leave the analysis folder without a user: the user's folder is always taken here.
    on_user_box_currentIndexChanged(row);
}

void qv_analysis_window::update_combobox(const QString &state)
{
    const QString text = handover::device_box_text(state);
    if (ui->comboBox_2->count() == 0)
        ui->comboBox_2->addItem(text);
    else
        ui->comboBox_2->setItemText(0, text);
    ui->comboBox_2->setCurrentIndex(0);
}

void qv_analysis_window::update_user_from_experiment(int index)
{
    // An index the box does not hold would clear its selection and send the run screen a user that is not there.
    if (!handover::row_in_range(index, ui->user_box->count()))
        return;
    select_user_row(index);
    if (ui->Experiment_2B_Analyzed->count() > 0)
        ui->analysis_name->setText(handover::analysis_base_name(ui->Experiment_2B_Analyzed->currentText(),
                                                                ui->channel_to_analyze->currentIndex(),
                                                                ui->Cycle_to_analyze->currentIndex()));
}

void qv_analysis_window::update_current_list(int8_t index)
{
    if (!handover::row_in_range(index, received))
        return;
    ui->Experiment_2B_Analyzed->setCurrentIndex(index);
    on_Experiment_2B_Analyzed_currentIndexChanged(index);
    if (experiments[size_t(index)].cycles == 0)
        return;
    on_Stop_clicked();
    // Each change runs the slider's slot, which analyses again with the anchor in the middle of its range.
    ui->anodic->setValue(ui->anodic->maximum() / 2);
    ui->cathodic->setValue(ui->cathodic->maximum() / 2);
}

void qv_analysis_window::update_device(uint8_t) {}

void qv_analysis_window::update_port(const QString &name) { port = name; }

void qv_analysis_window::on_To_Run_Screen_Button_clicked() { close(); }
