// The analysis plot: pointer tool tip, dragging and switching the legend, the axis dialog, Center, and the
// right-click menus of the plot and the list.
#include <QListWidget>
#include <QMenu>

#include "analysis/qv_analysis_window.h"
#include "dialogs/setaxis.h"
#include "lists/context_menu_rules.h"
#include "plot/plot_geometry.h"
#include "plot/plot_legend.h"
#include "plot/qcp_compat.h"
#include "platform/screen_metrics.h"
#include "shell/window_icon.h"
#include "ui_qv_analysis_window.h"

void qv_analysis_window::onMouseMove(QMouseEvent *event)
{
    QCustomPlot *plot = ui->widget2;
    const QPoint p = event->pos();
    plot->setToolTip(pointer_tooltip(plot->xAxis->pixelToCoord(p.x()), plot->yAxis->pixelToCoord(p.y())));
}

void qv_analysis_window::mousePressSignal(QMouseEvent *event) { legend_press(ui->widget2, event->pos(), legend_drag); }

void qv_analysis_window::mouseMoveSignal(QMouseEvent *event) { legend_move(ui->widget2, event->pos(), legend_drag); }

void qv_analysis_window::mouseReleaseSignal(QMouseEvent *) { legend_release(ui->widget2, legend_drag); }

void qv_analysis_window::beforeReplot() { fit_legend_before_replot(ui->widget2); }

void qv_analysis_window::legend_menu()
{
    legend_shown = legend_shown ? 0 : 1;
    ui->widget2->legend->setVisible(legend_shown != 0);
    replot();
}

void qv_analysis_window::set_axis()
{
    auto *dialog = new setaxis(nullptr);
    dialog->setWindowIcon(program_window_icon());
    dialog->setWindowModality(Qt::ApplicationModal);
    platform::place_over(dialog, this);
    dialog->show();
    connect(dialog, &setaxis::send_axis_analysis, this, &qv_analysis_window::updateaxis);
    const QMetaObject::Connection feed =
        connect(this, &qv_analysis_window::send_axisval, dialog, &setaxis::get_axis_values);
    const QCPRange x = ui->widget2->xAxis->range();
    const QCPRange y = ui->widget2->yAxis->range();
    // Any mode but the run screen's makes the dialog answer this screen.
    emit send_axisval(y.upper, y.lower, x.upper, x.lower, 1);
    disconnect(feed);
}

void qv_analysis_window::updateaxis(double y_upper, double y_lower, double x_upper, double x_lower)
{
    ui->widget2->xAxis->setRange(x_lower, x_upper);
    ui->widget2->yAxis->setRange(y_lower, y_upper);
    replot();
}

void qv_analysis_window::on_Center_clicked()
{
    ui->widget2->axisRect()->insetLayout()->setInsetRect(0, QRectF(0, 0, 0, 0));
    // The ranges of the analysis on show; with nothing drawn there is nothing to centre on.
    const int cur = analysis_on_show();
    if (cur < 0)
        return;
    const curve &a = book.record(cur);
    ui->widget2->xAxis->setRange(a.e_min, a.e_max);
    ui->widget2->yAxis->setRange(a.i_min, a.i_max);
    replot();
}

void qv_analysis_window::ShowContextMenu(const QPoint &pos)
{
    // Built for this request only: the menu, its entries and their connections go when it closes.
    QMenu menu(tr("Context menu"), this);
    connect(menu.addAction(context_menu::legend_entry_text(legend_shown != 0)), &QAction::triggered, this,
            &qv_analysis_window::legend_menu);
    connect(menu.addAction(tr("Set Axis")), &QAction::triggered, this, &qv_analysis_window::set_axis);
    menu.exec(ui->widget2->mapToGlobal(pos));
}

void qv_analysis_window::show_select_menu(const QPoint &pos)
{
    QMenu menu(tr("Select menu"), this);
    const bool listed = current_analysis() >= 0;
    auto add = [&menu, this](const QString &text, void (qv_analysis_window::*slot)(), bool enabled) {
        QAction *action = menu.addAction(text);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
    };
    add(tr("Select All"), &qv_analysis_window::select_all, listed);
    add(tr("Unselect All"), &qv_analysis_window::unselect_all, listed);
    add(tr("Clear All"), &qv_analysis_window::clear_all, listed);
    add(tr("Clear All Unsaved"), &qv_analysis_window::clear_all_unsaved, listed);
    // The folder is that of the analysis on show: with none drawn the entry has nothing to open.
    add(tr("Open File Location"), &qv_analysis_window::open_file_loc, analysis_on_show() >= 0);
    // The list reports the point in its viewport, inside the frame.
    menu.exec(ui->recent_analyses->viewport()->mapToGlobal(pos));
}
