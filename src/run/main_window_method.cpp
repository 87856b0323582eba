// The method pages of the run screen: Ei following Er1, the rate limit, the potential-step units, the method
// change, the settings applied at construction, and the duration estimate that seeds the run clock.
#include "run/mainwindow.h"

#include <QAction>
#include <QActionGroup>
#include <QLCDNumber>
#include <QSignalBlocker>

#include "run/method_setup.h"
#include "run/run_start.h"
#include "run/run_clock.h"
#include "shell/settings_file.h"
#include "ui_mainwindow.h"

namespace {
// An LCD shows as many digits as it is given; long runs need more than the form's five.
void show_on_lcd(QLCDNumber *lcd, const QString &text)
{
    lcd->setDigitCount(qMax(5, text.size()));
    lcd->display(text);
}
}  // namespace

// ---- the duration estimate ----

uint8_t MainWindow::read_config_extra_time() const
{
    const std::optional<QStringList> lines = settings_file::read_lines();
    return lines ? extra_time_from(*lines) : 0;
}

void MainWindow::update_duration()
{
    // A run's clock counts from the estimate made before its start; edits during the run change nothing.
    if (run_active)
        return;
    const uint8_t extra = read_config_extra_time();
    const std::optional<run_clock_counters> counters =
        idle_estimate(run_active, ui->Method->currentIndex(), protocol_form_values(), extra);
    state.extra_time_s = extra;
    if (!counters)
        return;
    state.clock = *counters;
    show_clock(idle_display(*counters));
}

void MainWindow::show_clock(const clock_display &display)
{
    show_on_lcd(ui->Elapsed_time, display.elapsed_text);
    show_on_lcd(ui->Remain_time, display.remaining_text);
    if (display.progress)
        ui->progressBar->setValue(*display.progress);
}

// ---- settings applied at construction ----

void MainWindow::load_config()
{
    const std::optional<QStringList> lines = settings_file::read_lines();
    if (!lines)
        return;
    const run_screen_settings s = run_screen_settings_from(*lines);
    if (s.we1)
        ui->Channel_WE1->setChecked(*s.we1);
    if (s.we2)
        ui->Channel_WE2->setChecked(*s.we2);
    if (s.range_index && *s.range_index < ui->Current_Range->count())
        ui->Current_Range->setCurrentIndex(*s.range_index);
    if (s.method)
        ui->Method->setCurrentIndex(static_cast<int>(*s.method));
    if (s.overlay)
        ui->Open_Experiment_5->setChecked(*s.overlay);
    // After the method: the file's filter choice is the one left checked, whatever the method brought.
    if (s.filter_mode)
        choose_filter_mode(*s.filter_mode);
    // The electrodes may have changed the rate limit.
    apply_rate_limits();
}

void MainWindow::default_experiment_name()
{
    ui->New_Experiment_Name->setText(::default_experiment_name(QDate::currentDate()));
}

// ---- keeping the page consistent ----

void MainWindow::apply_rate_limits()
{
    const rate_limits limits = rate_limits_for(ui->Scan_step->value(), ui->Channel_WE1->isChecked(),
                                               ui->Channel_WE2->isChecked(), ui->Scan_Rate->value(),
                                               ui->lsv_rate->value());
    // Lowering a maximum below the value lowers the value too; each box's change handler then re-estimates.
    ui->Scan_Rate->setMaximum(limits.maximum);
    ui->lsv_rate->setMaximum(limits.maximum);
    ui->Scan_Rate->setValue(limits.scan_rate);
    ui->lsv_rate->setValue(limits.lsv_rate);
}

void MainWindow::on_Scan_step_valueChanged(int value)
{
    const scan_step_box box = scan_step_box_for(value);
    QSpinBox *step = ui->Scan_step;
    const scan_step_box shown{step->minimum(), step->maximum(), step->value(), ui->resolution_label->text()};
    if (box != shown) {
        const QSignalBlocker blocker(step);
        // The range first, so the value is never clamped by the range it is leaving.
        step->setRange(box.minimum, box.maximum);
        step->setValue(box.value);
        ui->resolution_label->setText(box.unit);
    }
    apply_rate_limits();
}

void MainWindow::on_Er1_valueChanged(int)
{
    if (ui->EiEqEr1->isChecked())
        ui->Ei->setValue(ei_box_for(true, ui->Er1->value(), ui->Ei->value()).value_mV);
    update_duration();
}

void MainWindow::on_Ei_valueChanged(int)
{
    if (!ui->EiEqEr1->isChecked())
        update_duration();
}

void MainWindow::on_EiEqEr1_stateChanged(int)
{
    const ei_box box = ei_box_for(ui->EiEqEr1->isChecked(), ui->Er1->value(), ui->Ei->value());
    ui->Ei->setEnabled(box.enabled);
    ui->PROTOCOL_6->setEnabled(box.enabled);
    ui->PROTOCOL_11->setEnabled(box.enabled);
    ui->Ei->setValue(box.value_mV);
}

void MainWindow::on_EiEqEr1_clicked() { update_duration(); }

void MainWindow::on_Method_currentIndexChanged(int index)
{
    const std::optional<method_view> view = method_view_for(index, state.filter_choice);
    if (!view)
        return;
    choose_filter_mode(view->filter_mode);
    ui->stackedWidget->setCurrentIndex(view->page);
    update_duration();
}

void MainWindow::on_Scan_Rate_valueChanged(int)
{
    apply_rate_limits();
    update_duration();
}

void MainWindow::on_lsv_rate_valueChanged(int)
{
    apply_rate_limits();
    update_duration();
}

void MainWindow::on_Channel_WE1_clicked() { apply_rate_limits(); }
void MainWindow::on_Channel_WE2_clicked() { apply_rate_limits(); }

void MainWindow::on_Repeat_No_valueChanged(int) { update_duration(); }
void MainWindow::on_Er2_valueChanged(int) { update_duration(); }
void MainWindow::on_dpv_ei_valueChanged(int) { update_duration(); }
void MainWindow::on_dpv_ef_valueChanged(int) { update_duration(); }
void MainWindow::on_dpv_step_valueChanged(int) { update_duration(); }
void MainWindow::on_dpv_period_valueChanged(int) { update_duration(); }
void MainWindow::on_swv_ei_valueChanged(int) { update_duration(); }
void MainWindow::on_swv_ef_valueChanged(int) { update_duration(); }
void MainWindow::on_swv_step_valueChanged(int) { update_duration(); }
void MainWindow::on_swv_freq_valueChanged(int) { update_duration(); }
void MainWindow::on_lsv_ei_valueChanged(int) { update_duration(); }
void MainWindow::on_lsv_ef_valueChanged(int) { update_duration(); }
void MainWindow::on_npv_ei_valueChanged(int) { update_duration(); }
void MainWindow::on_npv_ef_valueChanged(int) { update_duration(); }
void MainWindow::on_npv_step_valueChanged(int) { update_duration(); }
void MainWindow::on_npv_period_valueChanged(int) { update_duration(); }
void MainWindow::on_chr_ei_valueChanged(int) { update_duration(); }
void MainWindow::on_chr_e1_valueChanged(int) { update_duration(); }
void MainWindow::on_chr_e2_valueChanged(int) { update_duration(); }
void MainWindow::on_chr_t1_valueChanged(int) { update_duration(); }
void MainWindow::on_chr_steps_valueChanged(int) { update_duration(); }
void MainWindow::on_ampero_run_time_valueChanged(int) { update_duration(); }
