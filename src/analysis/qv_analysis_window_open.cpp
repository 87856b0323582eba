// Opening analysis files: the open dialog, dropped files and the ".qva" named on the command line all list the
// file as a new saved analysis and offer its cycle as an experiment to analyse again.
#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QSignalBlocker>
#include <QSlider>
#include <QUrl>

#include "analysis/analysis_file.h"
#include "analysis/analysis_naming.h"
#include "analysis/analysis_smoothing.h"
#include "analysis/peak_tangents.h"
#include "analysis/qv_analysis_window.h"
#include "files/file_naming.h"
#include "platform/trace.h"
#include "plot/curve_display.h"
#include "plot/curve_palette.h"
#include "plot/qcp_compat.h"
#include "ui_qv_analysis_window.h"

namespace {

void set_points(QCPCurve *c, const QVector<ei_point> &points)
{
    QVector<double> keys, values;
    keys.reserve(points.size());
    values.reserve(points.size());
    for (const ei_point &p : points) {
        keys.push_back(p.e_V);
        values.push_back(p.i_uA);
    }
    qcp::set_points(c, keys, values);
}

}  // namespace

void qv_analysis_window::on_Open_Analysis_clicked() { open_analysis(); }

void qv_analysis_window::on_Open_Analysis_2_clicked() { open_analysis(); }

void qv_analysis_window::on_actionOpen_triggered() { open_analysis(); }

void qv_analysis_window::open_analysis()
{
    const QString path = !pending_analysis_path.isEmpty()
                             ? pending_analysis_path
                             : chosen_open_path(tr("Open QV Analysis File"), analysis_dir, tr("QVA (*.qva)"));
    const QString base = file_base_name(path);
    if (base.isEmpty())
        return;
    const QString file_name = QFileInfo(path).fileName();
    // The list, the records and the experiment box hold this many; one more would overwrite an entry.
    if (analysis_count() >= analysis_records::capacity) {
        tell_user(tr("Error"), tr("%1 was not opened: the list holds %2 analyses, the most it can hold. Delete "
                                  "analyses to make room.").arg(file_name).arg(analysis_records::capacity));
        return;
    }
    if (received >= capacity) {
        tell_user(tr("Error"), tr("%1 was not opened: the experiment box holds %2 experiments, the most it can "
                                  "hold.").arg(file_name).arg(capacity));
        return;
    }
    const analysis_read read = load_analysis_file(path);
    if (read.status != analysis_read_status::ok) {
        tell_user(tr("Error"), tr("%1 was not opened. %2").arg(file_name, analysis_read_problem(read.status)));
        return;
    }
    analysis_dir = ::analysis_folder(path);
    list_opened_analysis(base, read.file);
    if (read.file.cut_short)
        tell_user(tr("Analysis file"),
                  tr("%1 was cut short: its last row is incomplete and was not read.").arg(file_name));
    if (read.file.points_capped)
        tell_user(tr("Analysis file"), tr("%1 holds more points than an analysis can; only the first %2 rows were "
                                          "read.").arg(file_name).arg(max_analysis_rows));
}

void qv_analysis_window::list_opened_analysis(const QString &base, const analysis_file &f)
{
    // Nothing filled here may start an analysis: the change handlers stay quiet until the analysis is shown.
    const signal_hold held_controls = hold_selection_controls();
    const signal_hold held_list = hold({ui->recent_analyses});

    // The refresh below refills the cycle box from the experiment copy; the channel box keeps its two items.
    ui->Cycle_to_analyze->clear();
    ui->Cycle_to_analyze->addItem(QStringLiteral("1"));

    const QString list_name = unique_list_name(base, row_texts());
    const int n = analysis_count();
    fill_opened_record(n, base, f);
    curve &a = book.record(n);
    a.name = list_name;
    ui->recent_analyses->addItem(list_name);
    set_row_font(n, false);
    a.ch1_colour = pair_colour_ch1(palette_pair_for_record(n));
    a.ch2_colour = pair_colour_ch2(palette_pair_for_record(n));
    a.saved_name = base;
    a.saved = 1;
    ui->widget2->legend->setVisible(true);
    // The legend names the analysis as the list does: a second opening of a file is told apart by its suffix.
    a.ch1_curve->setName(list_name);
    a.ch1_curve->addToLegend();
    set_analysis_pens(n);

    const int k = add_experiment_copy(n);
    a.ch1_shown = 1;
    a.method = list_name;
    book.result(n).experiment_row = k;

    make_current(n, true);
    ui->widget2->xAxis->setRange(a.e_min, a.e_max);
    ui->widget2->yAxis->setRange(a.i_min, a.i_max);
    on_recent_analyses_itemClicked(ui->recent_analyses->item(n));
    update_buttons();
    show_result_values();
    replot();
    a.ch1_shown = a.ch2_shown = 1;
    experiments[size_t(k)].ch1_shown = experiments[size_t(k)].ch2_shown = 1;
    update_combo_enable();
    book.result(n).folder = analysis_dir;
}

void qv_analysis_window::fill_opened_record(int n, const QString &base, const analysis_file &f)
{
    // Nothing of an earlier analysis in this place may show through: every curve, channel 2 and the tangents
    // included, starts empty.
    book.reset(n);
    curve &a = book.record(n);
    analysis_result &res = book.result(n);
    set_points(a.ch1_curve, f.ch1);
    set_points(a.ch2_curve, f.ch2);
    set_points(res.anodic_tangent, f.anodic_tangent);
    set_points(res.cathodic_tangent, f.cathodic_tangent);
    a.details = opened_analysis_details(base, f);
    a.saved = 1;
    a.rate = f.rate_mV_s;
    a.e_min = f.e_min;
    a.e_max = f.e_max;
    a.i_min = f.i_min;
    a.i_max = f.i_max;

    res.Epa = f.Epa;
    res.Ipa = f.Ipa;
    res.Epc = f.Epc;
    res.Ipc = f.Ipc;
    // The file's curve is the analysed cycle itself, held as channel 1: its experiment copy has one channel and
    // one cycle.
    res.channel_index = 0;
    res.cycle_index = 0;
    res.anodic_max = f.anodic_max;
    res.cathodic_max = f.cathodic_max;
    res.current_anodic = f.current_anodic;
    res.current_cathodic = f.current_cathodic;
    res.current_tangent = f.current_tangent;
    res.current_cathodic_2 = f.current_cathodic_2;
    // The file keeps the drawn lines and their rotations, not the slopes they were turned from; a rotation needs them.
    const auto points_of = [](QCPCurve *c) {
        const qcp::points p = qcp::read_points(c);
        return analysis::make_series(p.keys, p.values);
    };
    res = analysis::restore_tangent_state(points_of(a.ch1_curve), points_of(res.anodic_tangent),
                                          points_of(res.cathodic_tangent), res);
    res.method_text = f.method;
    res.rr = f.rr;
    res.sample = f.sample;

    for (QLabel *label : {ui->epa, ui->ipa, ui->epc, ui->ipc})
        label->setTextFormat(Qt::PlainText);
    {
        const QSignalBlocker rate(ui->slider_rate);
        const QSignalBlocker sample(ui->slider_sample);
        ui->slider_rate->setValue(f.rr);
        ui->slider_sample->setValue(f.sample);
    }
}

int qv_analysis_window::add_experiment_copy(int n)
{
    const curve &a = book.record(n);
    const int k = received;
    // A whole new record: nothing of another experiment's geometry may reach the cycle cut of this one.
    curve e;
    e.ch1_curve = new QCPCurve(ui->widget2->xAxis, ui->widget2->yAxis);
    e.ch2_curve = new QCPCurve(ui->widget2->xAxis, ui->widget2->yAxis);
    const qcp::points p = qcp::read_points(a.ch1_curve);
    qcp::set_points(e.ch1_curve, p.keys, p.values);
    e.ch1_colour = a.ch1_colour;
    e.ch2_colour = a.ch2_colour;
    for (QCPCurve *c : {e.ch1_curve, e.ch2_curve})
        c->setVisible(false);
    e.ch1_curve->setPen(electrode_pen(e.ch1_colour));
    e.ch2_curve->setPen(electrode_pen(e.ch2_colour));
    e.rate = a.rate;
    e.details = a.details;
    e.name = a.name;
    e.saved_name = a.saved_name;
    e.e_max = a.e_max;
    e.i_max = a.i_max;
    e.e_min = a.e_min;
    e.i_min = a.i_min;
    // One cycle of one electrode, starting where the saved cycle starts.
    e.cycles = 1;
    e.e_start = p.keys.isEmpty() ? 0.0f : float(p.keys.first());
    e.method = QStringLiteral("Cyclic Voltammetry");
    // The file keeps no step; the saved cycle's own spacing gives the one it was smoothed at.
    e.resolution = uint16_t(analysis::step_of_potentials(std::vector<double>(p.keys.begin(), p.keys.end())));
    e.channel_code = 1;
    e.ch1_shown = 1;
    experiments[size_t(k)] = e;
    ++received;
    ui->Experiment_2B_Analyzed->addItem(e.name);
    return k;
}

// ---- dropped files and the command line ----

void qv_analysis_window::open_without_dialog(const QString &path)
{
    pending_analysis_path = path;
    open_analysis();
    pending_analysis_path.clear();
}

void qv_analysis_window::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasUrls())
        return;
    for (const QUrl &url : event->mimeData()->urls()) {
        const QString path = url.toLocalFile();
        qCDebug(rz410_trace).noquote() << "Dropped file:" << path;
        if (is_droppable_analysis(path))
            open_without_dialog(path);
    }
}

void qv_analysis_window::open_startup_analysis()
{
    // Every window of this run opens it again: the command line names it for the whole run.
    if (!startup_analysis.isEmpty() && file_exists(startup_analysis))
        open_without_dialog(startup_analysis);
}
