// Plot set-up, the pointer tool tip and dragging the legend.
#include "run/mainwindow.h"
#include "run/plot_geometry.h"
#include "run/qcp_compat.h"
#include "ui_mainwindow.h"

void MainWindow::setup_plot()
{
    QCustomPlot *plot = ui->widget;
    plot->yAxis->setLabel(QStringLiteral("Current (\u00b5A)"));
    plot->xAxis->setLabel(QStringLiteral("Voltage (V)"));
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot->xAxis->setRange(-0.6, 0.6);
    plot->yAxis->setRange(-1, 1);

    plot->legend->setVisible(true);
    QFont legend_font = font();
    legend_font.setPointSize(7);
    plot->legend->setFont(legend_font);
    plot->legend->setSelectedFont(legend_font);
    plot->legend->setIconSize(5, 5);
    // Free placement at a zero-sized rectangle: top-left corner, at the legend's minimum size.
    plot->axisRect()->insetLayout()->setInsetPlacement(0, QCPLayoutInset::ipFree);
    plot->axisRect()->insetLayout()->setInsetRect(0, QRectF(0, 0, 0, 0));
    legend_dragging = 0;

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

void MainWindow::mousePressSignal(QMouseEvent *event)
{
    QCustomPlot *plot = ui->widget;
    if (plot->legend->selectTest(event->pos(), false) <= 0)
        return;
    QCPLayoutInset *inset = plot->axisRect()->insetLayout();
    inset->setInsetPlacement(0, QCPLayoutInset::ipFree);
    const axis_fraction f = pointer_fraction(event->pos(), qcp::inset_area(plot));
    const QRectF r = inset->insetRect(0);
    qcp::hold_range_drag(plot, true);
    legend_dragging = 1;
    legend_grab_offset = {{f.x - r.x(), f.y - r.y()}};
}

void MainWindow::mouseMoveSignal(QMouseEvent *event)
{
    if (legend_dragging != 1)
        return;
    QCustomPlot *plot = ui->widget;
    QCPLayoutInset *inset = plot->axisRect()->insetLayout();
    const axis_fraction f = pointer_fraction(event->pos(), qcp::inset_area(plot));
    QRectF r = inset->insetRect(0);
    r.moveTopLeft(QPointF(f.x - legend_grab_offset[0], f.y - legend_grab_offset[1]));
    inset->setInsetRect(0, r);
    qcp::replot_hint(plot);
}

void MainWindow::mouseReleaseSignal(QMouseEvent *)
{
    if (legend_dragging)
        qcp::hold_range_drag(ui->widget, false);
    legend_dragging = 0;
}

void MainWindow::beforeReplot()
{
    // Free placement would otherwise stretch the legend over its rectangle.
    qcp::limit_legend_to_contents(ui->widget->legend);
}
