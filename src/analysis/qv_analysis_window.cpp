// The analysis screen's window: the hand-over from the run screen, the shown experiment and the way back.
#include "analysis/qv_analysis_window.h"

#include <QCloseEvent>
#include <QDate>
#include <QDebug>
#include <QPen>
#include <QSignalBlocker>

#include "analysis/handover_rules.h"
#include "run/qcp_compat.h"
#include "shell/app_state.h"
#include "shell/window_icon.h"
#include "ui_qv_analysis_window.h"

namespace {

QPen electrode_pen(const QColor &colour)
{
    return QPen(QBrush(colour), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

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

qv_analysis_window::qv_analysis_window(QWidget *parent)
    : QWidget(parent), ui(new Ui::qv_analysis_window), startup_analysis(app_state::startup_analysis_path)
{
    // The signal and slot signatures name these types; registered under those names, queued connections and
    // signal spies can carry them.
    qRegisterMetaType<curve>("curve");
    qRegisterMetaType<uint8_t>("uint8_t");
    qRegisterMetaType<int8_t>("int8_t");
    ui->setupUi(this);
    setWindowIcon(program_window_icon());
    setup_plot();
    ui->analysis_name->setText(handover::default_analysis_name(QDate::currentDate()));
    // An analysis document named on the command line is opened here by the analysis-file reader; the screen
    // has no such reader yet, so the path is only kept (startup_document()) and nothing is opened.
}

qv_analysis_window::~qv_analysis_window() { delete ui; }

void qv_analysis_window::setup_plot()
{
    QCustomPlot *plot = ui->widget2;
    qcp::keep_new_plottables_out_of_legend(plot);
    plot->yAxis->setLabel(QStringLiteral("Current (µA)"));
    plot->xAxis->setLabel(QStringLiteral("Voltage (V)"));
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot->xAxis->setRange(-0.6, 0.6);
    plot->yAxis->setRange(-100, 100);
}

// ---- the hand-over ----

void qv_analysis_window::get_from_experiment(const curve &record)
{
    if (received >= capacity) {
        // The row number would wrap onto experiment 0 and overwrite it; a record that does not fit is left out.
        qWarning() << "analysis screen: no room for experiment" << record.name;
        return;
    }
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
    {
        // The box's slot would select the row before it is set up; the shown row is refreshed just below.
        const QSignalBlocker hold(ui->Experiment_2B_Analyzed);
        ui->Experiment_2B_Analyzed->addItem(e.name);
    }
    // While records arrive the box keeps showing its first row.
    select_experiment(ui->Experiment_2B_Analyzed->currentIndex());
}

void qv_analysis_window::refresh_ui()
{
    if (received == 0)
        return;
    {
        const QSignalBlocker hold(ui->Experiment_2B_Analyzed);
        ui->Experiment_2B_Analyzed->setCurrentIndex(0);
    }
    select_experiment(0);
}

void qv_analysis_window::get_user_from_experiment(const QString &name)
{
    const handover::user_entry entry = handover::parse_user_message(name);
    if (!entry.add)
        return;
    {
        // Rows arrive quietly: the run screen already has its user, and telling it of each passing row would
        // switch its user back and forth during the hand-over. Only the marked row is selected openly below.
        const QSignalBlocker hold(ui->user_box);
        ui->user_box->addItem(entry.name);
    }
    if (entry.current)
        ui->user_box->setCurrentIndex(ui->user_box->count() - 1);
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
    ui->user_box->setCurrentIndex(index);
    if (ui->Experiment_2B_Analyzed->count() > 0)
        propose_analysis_name();
}

void qv_analysis_window::update_current_list(int8_t index)
{
    if (!handover::row_in_range(index, received))
        return;
    {
        const QSignalBlocker hold(ui->Experiment_2B_Analyzed);
        ui->Experiment_2B_Analyzed->setCurrentIndex(index);
    }
    select_experiment(index);
}

void qv_analysis_window::update_device(uint8_t) {}

void qv_analysis_window::update_port(const QString &name) { port = name; }

// ---- buttons and the way back ----

void qv_analysis_window::on_To_Run_Screen_Button_clicked() { close(); }

void qv_analysis_window::on_settings_clicked() { emit settings_clicked_experiment(); }

void qv_analysis_window::closeEvent(QCloseEvent *event)
{
    // Every way out goes back to the run screen, the title bar's close too: the run screen is hidden, and a
    // window that merely closed would end the program past its warning about unsaved experiments.
    if (!handed_back) {
        handed_back = true;
        emit show_experiment_window();
        setAttribute(Qt::WA_DeleteOnClose);
    }
    event->accept();
}

// ---- user box ----

void qv_analysis_window::on_user_box_currentIndexChanged(int index)
{
    if (index < 0)
        return;
    if (ui->user_box->currentText() == QLatin1String("Log Out")) {
        // Logging out is the run screen's business; it keeps its own user.
        close();
        return;
    }
    emit send_current_user(static_cast<uint8_t>(index));
}

// ---- experiment, channel and cycle ----

void qv_analysis_window::on_Experiment_2B_Analyzed_currentIndexChanged(int index) { select_experiment(index); }

void qv_analysis_window::on_channel_to_analyze_currentIndexChanged(int)
{
    propose_analysis_name();
    show_experiment(ui->Experiment_2B_Analyzed->currentIndex());
}

void qv_analysis_window::on_Cycle_to_analyze_currentIndexChanged(int) { propose_analysis_name(); }

void qv_analysis_window::select_experiment(int row)
{
    if (!handover::row_in_range(row, received))
        return;
    fill_cycle_and_channel(row);
    propose_analysis_name();
    show_experiment(row);
}

void qv_analysis_window::fill_cycle_and_channel(int row)
{
    const curve &e = experiments[static_cast<size_t>(row)];
    const QSignalBlocker hold_cycle(ui->Cycle_to_analyze);
    const QSignalBlocker hold_channel(ui->channel_to_analyze);
    ui->Cycle_to_analyze->clear();
    ui->Cycle_to_analyze->addItems(handover::cycle_items(e.cycles));
    ui->Cycle_to_analyze->setEnabled(handover::cycle_choice_enabled(e.cycles));
    ui->Cycle_to_analyze->setCurrentIndex(0);
    // One rule decides whether a channel counts, both for enabling the box and for the index it shows.
    const handover::channel_setup channel =
        handover::channel_for(qcp::point_count(e.ch1_curve), qcp::point_count(e.ch2_curve));
    ui->channel_to_analyze->setEnabled(channel.enabled);
    ui->channel_to_analyze->setCurrentIndex(channel.index);
}

void qv_analysis_window::propose_analysis_name()
{
    if (ui->Experiment_2B_Analyzed->currentIndex() < 0)
        return;
    ui->analysis_name->setText(handover::analysis_base_name(ui->Experiment_2B_Analyzed->currentText(),
                                                            ui->channel_to_analyze->currentIndex(),
                                                            ui->Cycle_to_analyze->currentIndex()));
}

void qv_analysis_window::show_experiment(int row)
{
    if (!handover::row_in_range(row, received))
        return;
    for (int n = 0; n < received; ++n) {
        experiments[static_cast<size_t>(n)].ch1_curve->setVisible(false);
        experiments[static_cast<size_t>(n)].ch2_curve->setVisible(false);
    }
    const curve &e = experiments[static_cast<size_t>(row)];
    QCPCurve *shown = ui->channel_to_analyze->currentIndex() == 1 ? e.ch2_curve : e.ch1_curve;
    shown->setVisible(true);
    // The record's extremes frame the plot; a record without usable extremes is framed by its points.
    if (e.e_min < e.e_max && e.i_min < e.i_max) {
        ui->widget2->xAxis->setRange(e.e_min, e.e_max);
        ui->widget2->yAxis->setRange(e.i_min, e.i_max);
    } else if (qcp::point_count(shown) > 0) {
        shown->rescaleAxes();
    }
    qcp::replot_hint(ui->widget2);
}
