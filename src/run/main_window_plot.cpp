// Plot set-up, the pointer tool tip and dragging the legend.
#include "plot/plot_geometry.h"
#include "plot/plot_legend.h"
#include "plot/qcp_compat.h"
#include "run/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::setup_plot()
{
    QCustomPlot *plot = ui->widget;
    plot->yAxis->setLabel(QStringLiteral("Current (\u00b5A)"));
    plot->xAxis->setLabel(QStringLiteral("Voltage (V)"));
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot->xAxis->setRange(-0.6, 0.6);
    plot->yAxis->setRange(-1, 1);

    setup_legend(plot, font());
    legend_drag = legend_drag_state{};

    connect(plot, &QCustomPlot::mouseMove, this, &MainWindow::mouseMoveSignal);
    connect(plot, &QCustomPlot::mousePress, this, &MainWindow::mousePressSignal);
    connect(plot, &QCustomPlot::mouseRelease, this, &MainWindow::mouseReleaseSignal);
    connect(plot, &QCustomPlot::beforeReplot, this, &MainWindow::beforeReplot);
}

void MainWindow::onMouseMove(QMouseEvent *event)
{
    QCustomPlot *plot = ui->widget;
    const QPoint p = event->pos();
    plot->setToolTip(pointer_tooltip(plot->xAxis->pixelToCoord(p.x()), plot->yAxis->pixelToCoord(p.y())));
}

void MainWindow::mousePressSignal(QMouseEvent *event) { legend_press(ui->widget, event->pos(), legend_drag); }

void MainWindow::mouseMoveSignal(QMouseEvent *event) { legend_move(ui->widget, event->pos(), legend_drag); }

void MainWindow::mouseReleaseSignal(QMouseEvent *) { legend_release(ui->widget, legend_drag); }

void MainWindow::beforeReplot() { fit_legend_before_replot(ui->widget); }
