// Deleting analyses after the warning, and clearing the unsaved ones: the list and the records close the gaps
// together, so that row r stays analysis r.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include "analysis/analysis_list_rules.h"
#include "analysis/qv_analysis_window.h"
#include "dialogs/dialog_warning_delete_analysis.h"
#include "lists/experiment_list_logic.h"
#include "platform/screen_metrics.h"
#include "ui_qv_analysis_window.h"

void qv_analysis_window::open_delete_warning()
{
    auto *warning = new dialog_warning_delete_analysis(nullptr);
    warning->setWindowModality(Qt::ApplicationModal);
    platform::place_over(warning, this);
    warning->show();
    connect(warning, &dialog_warning_delete_analysis::sendData, this, &qv_analysis_window::delete_analysis);
    const QMetaObject::Connection name_feed =
        connect(this, &qv_analysis_window::analysis_name, warning, &dialog_warning_delete_analysis::get_the_name);
    const QMetaObject::Connection count_feed =
        connect(this, &qv_analysis_window::analysis_number, warning, &dialog_warning_delete_analysis::analysis_count);
    // The dialog words its question from the count, so the count goes first.
    emit analysis_number(selected_analyses().size());
    emit analysis_name(ui->recent_analyses->currentItem()->text());
    disconnect(name_feed);
    disconnect(count_feed);
}

void qv_analysis_window::on_Delete_Analysis_2_clicked()
{
    // The warning names the analysis on show and counts the selection; with nothing on show it would ask about
    // an analysis not drawn and delete none.
    if (analysis_on_show() < 0)
        return;
    open_delete_warning();
}

void qv_analysis_window::on_Delete_Analysis_clicked()
{
    if (analysis_count() == 0)
        return;
    update_buttons();
    on_Delete_Analysis_2_clicked();
}

void qv_analysis_window::delete_analysis()
{
    // The rows are fixed now, before any of them moves or another row becomes current.
    remove_rows(selected_analyses());
}

void qv_analysis_window::remove_unsaved(uint8_t row) { remove_rows({int(row)}); }

void qv_analysis_window::clear_all_unsaved()
{
    QVector<int> unsaved;
    for (int i = 0; i < analysis_count(); ++i)
        if (book.record(i).saved == 0)
            unsaved.push_back(i);
    remove_rows(unsaved);
    fill_details(experiment_list::summary_heading(selected_analyses().size()));
}

void qv_analysis_window::remove_rows(const QVector<int> &rows)
{
    const experiment_list::deletion_plan plan = book.remove(analysis_count(), rows);
    if (plan.deleted.isEmpty())
        return;
    {
        const QSignalBlocker held(ui->recent_analyses);
        for (int i = plan.deleted.size() - 1; i >= 0; --i)
            delete ui->recent_analyses->takeItem(plan.deleted.at(i));
        // Only the analysis made current is drawn after a removal, so it alone stays selected: no row left
        // selected off the plot for the next command.
        ui->recent_analyses->clearSelection();
        make_current(plan.current_after, true);
    }
    // The controls and the name field still hold a removed analysis; left so, the next analyse would bring it
    // back as a new row. The analysis now current is loaded into them, as a click on it would.
    const int cur = current_analysis();
    if (cur >= 0)
        on_recent_analyses_itemClicked(ui->recent_analyses->item(cur));
    hide_all_curves();
    ui->details->clear();
    // Only the analysis now current is drawn, with its values and details.
    if (cur >= 0) {
        const curve &a = book.record(cur);
        const analysis_result &res = book.result(cur);
        a.ch1_curve->setVisible(true);
        a.ch1_curve->addToLegend();
        res.anodic_tangent->setVisible(true);
        res.cathodic_tangent->setVisible(true);
        show_values(cur);
        fill_details(experiment_list::summary_heading(selected_analyses().size()));
        set_save_buttons(analysis_list::save_offered(selected_analyses().size(), true, a.saved != 0));
    } else {
        show_no_analysis();
    }
    update_buttons();
    replot();
}
