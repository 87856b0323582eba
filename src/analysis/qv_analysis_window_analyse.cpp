// The analyse action: the row an analysis goes to, the "Peaks" and "Pearson's RR" methods, the tangent
// rotations and the values, labels and details they show. The arithmetic itself lives in the analysis modules.
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>

#include "analysis/analysis_list_rules.h"
#include "analysis/analysis_values.h"
#include "analysis/handover_rules.h"
#include "analysis/peaks_analysis.h"
#include "analysis/pearson_scan.h"
#include "analysis/qv_analysis_window.h"
#include "lists/experiment_list_logic.h"
#include "plot/curve_display.h"
#include "plot/qcp_compat.h"
#include "ui_qv_analysis_window.h"

namespace {

analysis::series series_of(const QCPCurve *c)
{
    const qcp::points p = qcp::read_points(c);
    return analysis::make_series(p.keys, p.values);
}

void show_series(QCPCurve *c, const analysis::series &s)
{
    qcp::set_points(c, analysis::to_qvector(s.keys), analysis::to_qvector(s.values));
}

analysis::slider slider_of(const QSlider *s) { return {s->value(), s->maximum(), s->isEnabled(), s->minimum()}; }

// An experiment's two electrodes, read once per analysis.
struct experiment_series {
    analysis::series ch1, ch2;
    explicit experiment_series(const curve &e) : ch1(series_of(e.ch1_curve)), ch2(series_of(e.ch2_curve)) {}
    experiment_series() = default;
};

}  // namespace

// ---- the row ----

QString qv_analysis_window::unique_analysis_name(const QString &base) const
{
    QVector<analysis::listed_analysis> rows;
    const QStringList texts = row_texts();
    for (int i = 0; i < texts.size(); ++i)
        rows.push_back({texts.at(i), book.record(i).saved != 0});
    return analysis::unique_analysis_name(base, rows);
}

void qv_analysis_window::refuse_new_analysis()
{
    // The list, the records and the results have room for this many; a further row would overwrite one.
    auto *box = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                tr("The list holds %1 analyses, the most it can hold. Delete or clear analyses "
                                   "before making a new one.").arg(analysis_records::capacity),
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

int qv_analysis_window::choose_analysis_row(int exp)
{
    const QString name = unique_analysis_name(ui->analysis_name->text());
    // The field names the row analysed, so that its S button saves the analysis on screen.
    if (name != ui->analysis_name->text())
        ui->analysis_name->setText(name);
    const int named = experiment_list::last_row_named(row_texts(), name);
    if (named >= 0)
        return named;
    if (analysis_count() >= analysis_records::capacity) {
        refuse_new_analysis();
        return -1;
    }
    {
        const QSignalBlocker held(ui->recent_analyses);
        ui->recent_analyses->addItem(name);
    }
    const int row = analysis_count() - 1;
    book.record(row).saved = 0;
    make_current(row, true);
    // The refill keeps the user's channel and cycle, so that the row is analysed on what its name says.
    fill_cycle_and_channel(exp, refill::restore);
    const signal_hold held = hold_selection_controls();
    ui->anodic->setValue(ui->anodic->maximum() / 2);
    ui->cathodic->setValue(ui->cathodic->maximum() / 2);
    ui->tangent->setValue(0);
    ui->cathodic_2->setValue(0);
    return row;
}

void qv_analysis_window::copy_experiment_to_analysis(int row, int exp)
{
    curve &a = book.record(row);
    curve &e = experiments[size_t(exp)];
    a.rate = e.rate;
    qcp::clear_points(a.ch1_curve);
    qcp::clear_points(a.ch2_curve);
    a.ch2_curve->setVisible(false);
    a.ch1_curve->setVisible(true);
    a.ch1_shown = 1;
    a.saved_name = e.saved_name;
    a.i_max = e.i_max;
    a.i_min = e.i_min;
    a.e_max = e.e_max;
    a.e_min = e.e_min;
    e.ch1_shown = 1;
    e.ch2_shown = 1;
    // The analysis takes the experiment's place on the plot.
    e.ch1_curve->setVisible(false);
    e.ch2_curve->setVisible(false);
    set_row_font(row, true);
}

void qv_analysis_window::set_analysis_pens(int row)
{
    curve &a = book.record(row);
    a.ch1_curve->setPen(electrode_pen(a.ch1_colour));
    a.ch2_curve->setPen(electrode_pen(a.ch2_colour));
}

// ---- the action ----

void qv_analysis_window::on_actionShow_Peaks_triggered() { on_Stop_clicked(); }

void qv_analysis_window::on_Stop_clicked()
{
    const int exp = ui->Experiment_2B_Analyzed->currentIndex();
    if (!handover::row_in_range(exp, received))
        return;
    const int row = choose_analysis_row(exp);
    if (row < 0)
        return;
    // The row analysed is unsaved whatever was shown before: its sliders are live, as for a new row, so that a
    // slider left disabled by a save or by the experiment's slider set-up never empties a tangent.
    set_widgets_enabled(true);
    copy_experiment_to_analysis(row, exp);
    curve &a = book.record(row);
    analysis_result &res = book.result(row);
    a.saved = 0;
    a.method = experiments[size_t(exp)].name;
    res.experiment_row = exp;
    res.channel_index = uint8_t(ui->channel_to_analyze->currentIndex());
    res.cycle_index = uint8_t(ui->Cycle_to_analyze->currentIndex());
    res.method_text = ui->Method_2->currentText();
    res.rr = ui->slider_rate->value();
    res.sample = ui->slider_sample->value();
    if (ui->Method_2->currentIndex() == 1)
        analyse_pearson(row, exp);
    else
        analyse_peaks(row, exp);
}

analysis::cycle_source qv_analysis_window::cycle_source_for(int exp, const analysis::series &ch1,
                                                            const analysis::series &ch2) const
{
    const curve &e = experiments[size_t(exp)];
    analysis::cycle_source src;
    src.ch1 = &ch1;
    src.ch2 = &ch2;
    src.geometry = {e.e_max, e.e_min, e.e_start, e.resolution};
    src.cycles = e.cycles;
    src.cycle_choices = ui->Cycle_to_analyze->count();
    src.cycle_index = std::max(ui->Cycle_to_analyze->currentIndex(), 0);
    src.channel_index = std::max(ui->channel_to_analyze->currentIndex(), 0);
    return src;
}

void qv_analysis_window::take_cut(int row, int exp, const analysis::cycle_cut &cut)
{
    // The measured extremes replace the record's; later cuts and the cathodic tangent's reach use them.
    curve &e = experiments[size_t(exp)];
    e.e_max = cut.range.e_max;
    e.e_min = cut.range.e_min;
    curve &a = book.record(row);
    a.e_max = e.e_max;
    a.e_min = e.e_min;
    a.ch1_colour = e.ch1_colour;
    a.ch2_colour = e.ch2_colour;
    set_analysis_pens(row);
    show_series(a.ch1_curve, cut.cycle);
    a.ch1_curve->setVisible(true);
}

void qv_analysis_window::analyse_peaks(int row, int exp)
{
    const signal_hold held = hold({ui->tangent, ui->cathodic_2, ui->recent_analyses});
    make_current(row, true);
    curve &a = book.record(row);
    analysis_result &res = book.result(row);

    const experiment_series e(experiments[size_t(exp)]);
    analysis::peaks_input in;
    in.source = cycle_source_for(exp, e.ch1, e.ch2);
    in.rate = a.rate;
    in.sliders = {slider_of(ui->anodic), slider_of(ui->cathodic), ui->tangent->value(), ui->cathodic_2->value()};
    in.record = res;
    const analysis::peaks_analysis out = analysis::run_peaks(in);

    a.saved_name = experiments[size_t(exp)].saved_name;
    take_cut(row, exp, out.cut);
    {
        const signal_hold sliders = hold({ui->anodic, ui->cathodic});
        set_anchor_ranges(out.sliders.anodic.maximum, out.sliders.cathodic.maximum);
        ui->anodic->setValue(out.sliders.anodic.value);
        ui->cathodic->setValue(out.sliders.cathodic.value);
        ui->tangent->setValue(out.sliders.tangent);
        ui->cathodic_2->setValue(out.sliders.cathodic_2);
    }
    // Without a smoothed cycle (rate 0, a handful of points) the curve is emptied, never left at an earlier
    // cycle's points.
    show_series(a.ch1_raw_curve, out.smoothing.smoothed ? out.smoothing.curve : analysis::series{});
    res = out.record;
    show_series(res.anodic_tangent, out.anodic);
    show_series(res.cathodic_tangent, out.cathodic);
    update_peak_labels();

    show_analysed_row(row);
    set_row_font(row, true);
    replot();
}

void qv_analysis_window::analyse_pearson(int row, int exp)
{
    analysis_result &res = book.result(row);
    const experiment_series e(experiments[size_t(exp)]);
    analysis::pearson_input in;
    in.source = cycle_source_for(exp, e.ch1, e.ch2);
    in.window = ui->slider_sample->value();
    in.rate_slider = ui->slider_rate->value();
    in.anodic_enabled = ui->anodic->isEnabled();
    in.cathodic_enabled = ui->cathodic->isEnabled();
    const analysis::pearson_result out = analysis::run_pearson(in);

    take_cut(row, exp, out.cut);
    show_series(res.anodic_tangent, out.anodic);
    show_series(res.cathodic_tangent, out.cathodic);
    res.Epa = out.values.Epa;
    res.Epc = out.values.Epc;
    res.Ipa = out.values.Ipa;
    res.Ipc = out.values.Ipc;
    // The row analysed is made current before its labels and text are rebuilt, so that they describe it and
    // never another row that happened to be current.
    make_current(row, true);
    if (out.found)
        update_peak_labels();

    show_analysed_row(row);
    on_recent_analyses_itemClicked(ui->recent_analyses->item(row));
    replot();
}

// What both methods do once a row is analysed: only it in single view, its cycle and tangents drawn beside those
// of the overlay, its result text, values and legend entry refreshed, and the row marked unsaved.
void qv_analysis_window::show_analysed_row(int row)
{
    curve &a = book.record(row);
    if (ui->Open_Experiment_6->isChecked())
        hide_analyses();
    // Analysed again, a hidden analysis is drawn again (copy_experiment_to_analysis marked it shown), and the
    // Hide/Show button says so.
    show_analysis(row, true);
    update_hide_button();
    a.ch2_curve->setVisible(false);
    update_result_text();
    // An overlay's summary counts the row just analysed; one analysis in hand is named with its lines.
    refresh_details();
    show_result_values();
    a.saved = 0;
    update_buttons();
    // The save buttons save one analysis: none is in hand while an overlay is on show.
    set_save_buttons(analysis_list::save_offered(selected_analyses().size(), true, false));
    a.ch1_curve->setName(a.name);
    add_to_legend(row);
}

// ---- tangent rotations ----

void qv_analysis_window::on_tangent_valueChanged(int degrees) { draw_rotated_tangent(true, degrees); }

void qv_analysis_window::on_cathodic_2_valueChanged(int degrees) { draw_rotated_tangent(false, degrees); }

void qv_analysis_window::draw_rotated_tangent(bool anodic, int degrees)
{
    // With no analysis on show there is no tangent to turn: one not drawn would change unseen.
    const int k = analysis_on_show();
    if (k < 0)
        return;
    const curve &a = book.record(k);
    analysis_result &res = book.result(k);
    const analysis::series cycle = series_of(a.ch1_curve);
    const int exp = ui->Experiment_2B_Analyzed->currentIndex();
    const experiment_series e = handover::row_in_range(exp, received) ? experiment_series(experiments[size_t(exp)])
                                                                      : experiment_series();
    const float d = analysis::first_step(e.ch1, e.ch2);
    if (anodic) {
        res.current_tangent = int16_t(degrees);
        show_series(res.anodic_tangent, analysis::anodic_tangent(cycle, res, d, degrees, ui->anodic->isEnabled()));
    } else {
        res.current_cathodic_2 = int16_t(-degrees);
        show_series(res.cathodic_tangent,
                    analysis::cathodic_tangent(cycle, res, d, a.e_max, degrees, ui->cathodic->isEnabled()));
    }
    replot();
    update_peak_labels();
    update_result_text();
}

// ---- values, labels and details ----

void qv_analysis_window::update_peak_labels()
{
    const int k = current_analysis();
    if (k < 0)
        return;
    analysis_result &res = book.result(k);
    const analysis::peak_values v =
        analysis::values_from_tangents(series_of(res.anodic_tangent), series_of(res.cathodic_tangent));
    res.Epa = v.Epa;
    res.Epc = v.Epc;
    res.Ipa = v.Ipa;
    res.Ipc = v.Ipc;
    show_values(k);
}

void qv_analysis_window::update_result_text()
{
    const int k = current_analysis();
    if (k < 0)
        return;
    curve &a = book.record(k);
    const analysis_result &res = book.result(k);
    analysis::result_text t;
    t.experiment = ui->Experiment_2B_Analyzed->currentText();
    t.channel = ui->channel_to_analyze->currentText();
    t.cycle = ui->Cycle_to_analyze->currentText();
    t.rate = a.rate;
    t.values = {res.Epa, res.Epc, res.Ipa, res.Ipc};
    t.when = QDateTime::currentDateTime();
    t.user = ui->user_box->currentText();
    a.details = analysis::result_lines(t);
    ui->details->clear();
    a.name = ui->recent_analyses->item(k)->text();
    ui->details->addItems(a.details);
}

void qv_analysis_window::show_result_values()
{
    const int r = current_analysis();
    if (r >= 0)
        show_values(r);
}

void qv_analysis_window::set_widgets_enabled(bool on)
{
    for (QWidget *w : std::initializer_list<QWidget *>{ui->tangent, ui->cathodic_2, ui->cathodic, ui->anodic,
                                                       ui->slider_rate, ui->slider_sample})
        w->setEnabled(on);
    ui->Stop->setDisabled(on);
    set_save_buttons(on);
}

void qv_analysis_window::setup_sliders(int exp)
{
    if (!handover::row_in_range(exp, received))
        return;
    curve &e = experiments[size_t(exp)];
    const analysis::slider_setups s = analysis::setup_sliders(series_of(e.ch1_curve), series_of(e.ch2_curve),
                                                              e.e_start, ui->channel_to_analyze->currentIndex());
    e.e_max = s.range.e_max;
    e.e_min = s.range.e_min;
    const signal_hold held = hold({ui->anodic, ui->cathodic});
    if (s.anodic.enabled) {
        ui->anodic->setEnabled(*s.anodic.enabled);
        ui->tangent->setEnabled(*s.anodic.enabled);
    }
    if (s.cathodic.enabled) {
        ui->cathodic->setEnabled(*s.cathodic.enabled);
        ui->cathodic_2->setEnabled(*s.cathodic.enabled);
    }
    set_anchor_ranges(s.anodic.maximum, s.cathodic.maximum);
    ui->anodic->setValue(s.anodic.value);
    ui->cathodic->setValue(s.cathodic.value);
}

void qv_analysis_window::set_anchor_ranges(int anodic_maximum, int cathodic_maximum)
{
    ui->anodic->setRange(analysis::anchor_slider_minimum(anodic_maximum), anodic_maximum);
    ui->cathodic->setRange(analysis::anchor_slider_minimum(cathodic_maximum), cathodic_maximum);
}
