// The selection controls: experiment, channel and cycle boxes, the method box and the sliders. Every one of
// them ends by analysing again, so that the analysis on show always follows the controls.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QStackedWidget>

#include "analysis/handover_rules.h"
#include "analysis/qv_analysis_window.h"
#include "plot/qcp_compat.h"
#include "ui_qv_analysis_window.h"

void qv_analysis_window::fill_cycle_and_channel(int exp, refill mode)
{
    if (!handover::row_in_range(exp, received))
        return;
    const signal_hold held = hold({ui->Cycle_to_analyze, ui->channel_to_analyze});
    const curve &e = experiments[size_t(exp)];
    const int previous_experiment = ui->Experiment_2B_Analyzed->currentIndex();
    const int previous_cycle = ui->Cycle_to_analyze->currentIndex();
    const int previous_channel = ui->channel_to_analyze->currentIndex();

    ui->Cycle_to_analyze->clear();
    ui->Cycle_to_analyze->addItems(handover::cycle_items(e.cycles));
    ui->Cycle_to_analyze->setEnabled(handover::cycle_choice_enabled(e.cycles));
    const handover::channel_setup channel =
        handover::channel_for(qcp::point_count(e.ch1_curve), qcp::point_count(e.ch2_curve));
    ui->channel_to_analyze->setEnabled(channel.enabled);
    ui->channel_to_analyze->setCurrentIndex(channel.index);

    if (mode == refill::as_filled)
        return;
    if (mode == refill::restore) {
        if (previous_experiment >= 0 && previous_experiment == ui->Experiment_2B_Analyzed->currentIndex()) {
            if (previous_cycle >= 0 && previous_cycle < ui->Cycle_to_analyze->count())
                ui->Cycle_to_analyze->setCurrentIndex(previous_cycle);
            if (previous_channel >= 0 && previous_channel < ui->channel_to_analyze->count())
                ui->channel_to_analyze->setCurrentIndex(previous_channel);
        }
        return;
    }
    ui->Cycle_to_analyze->setCurrentIndex(0);
    ui->channel_to_analyze->setCurrentIndex(0);
}

void qv_analysis_window::propose_analysis_name()
{
    if (ui->Experiment_2B_Analyzed->currentIndex() < 0)
        return;
    const QString base = handover::analysis_base_name(ui->Experiment_2B_Analyzed->currentText(),
                                                      ui->channel_to_analyze->currentIndex(),
                                                      ui->Cycle_to_analyze->currentIndex());
    ui->analysis_name->setText(unique_analysis_name(base));
}

void qv_analysis_window::on_Experiment_2B_Analyzed_currentIndexChanged(int)
{
    const int exp = ui->Experiment_2B_Analyzed->currentIndex();
    // The boxes are refilled quietly; what follows may change them openly, and their slots then analyse.
    fill_cycle_and_channel(exp, refill::reset);
    if (ui->channel_to_analyze->currentIndex() < 0 || ui->Experiment_2B_Analyzed->count() == 0)
        return;
    propose_analysis_name();
    update_combo_enable();
    setup_sliders(exp);
    on_Stop_clicked();
    on_Center_clicked();
}

void qv_analysis_window::rerun_with_selection(bool center)
{
    propose_analysis_name();
    const int channel = ui->channel_to_analyze->currentIndex();
    const int cycle = ui->Cycle_to_analyze->currentIndex();
    on_Stop_clicked();
    on_recent_analyses_itemClicked(ui->recent_analyses->currentItem());
    // A new row starts at the first cycle; the user's channel and cycle are put back and analysed again, so that
    // the row ends up with the choice.
    {
        const signal_hold held = hold({ui->channel_to_analyze, ui->Cycle_to_analyze});
        if (cycle >= 0 && cycle < ui->Cycle_to_analyze->count())
            ui->Cycle_to_analyze->setCurrentIndex(cycle);
        if (channel >= 0 && channel < ui->channel_to_analyze->count())
            ui->channel_to_analyze->setCurrentIndex(channel);
    }
    on_Stop_clicked();
    on_recent_analyses_itemClicked(ui->recent_analyses->currentItem());
    if (center)
        on_Center_clicked();
}

void qv_analysis_window::on_channel_to_analyze_currentIndexChanged(int) { rerun_with_selection(true); }

void qv_analysis_window::on_Cycle_to_analyze_currentIndexChanged(int) { rerun_with_selection(false); }

void qv_analysis_window::on_Method_2_currentIndexChanged(int index)
{
    ui->method_list->setCurrentIndex(index);
    // A slider that moves runs its own slot, which analyses.
    ui->anodic->setValue(ui->anodic->maximum() / 2);
    ui->cathodic->setValue(ui->cathodic->maximum() / 2);
    on_Stop_clicked();
}

void qv_analysis_window::on_anodic_valueChanged(int)
{
    {
        // A new anchor starts its tangent unrotated.
        const QSignalBlocker held(ui->tangent);
        ui->tangent->setValue(0);
    }
    on_Stop_clicked();
}

void qv_analysis_window::on_cathodic_valueChanged(int)
{
    {
        const QSignalBlocker held(ui->cathodic_2);
        ui->cathodic_2->setValue(0);
    }
    on_Stop_clicked();
}

void qv_analysis_window::on_slider_sample_valueChanged(int) { on_Stop_clicked(); }

void qv_analysis_window::on_slider_rate_valueChanged(int) { on_Stop_clicked(); }
