// Dragging a plot's legend.
#include "plot/plot_legend.h"

#include "plot/plot_geometry.h"
#include "plot/qcp_compat.h"

void setup_legend(QCustomPlot *plot, const QFont &window_font)
{
    plot->legend->setVisible(true);
    QFont legend_font = window_font;
    legend_font.setPointSize(7);
    plot->legend->setFont(legend_font);
    plot->legend->setSelectedFont(legend_font);
    plot->legend->setIconSize(5, 5);
    plot->axisRect()->insetLayout()->setInsetPlacement(0, QCPLayoutInset::ipFree);
    plot->axisRect()->insetLayout()->setInsetRect(0, QRectF(0, 0, 0, 0));
}

void fit_legend_before_replot(QCustomPlot *plot)
{
    qcp::limit_legend_to_contents(plot->legend);
    // The legend and its items are the only things on their layer.
    if (QCPLayer *layer = plot->legend->layer())
        layer->setVisible(plot->legend->itemCount() > 0);
}

void legend_press(QCustomPlot *plot, QPoint pointer, legend_drag_state &state)
{
    if (plot->legend->selectTest(pointer, false) <= 0)
        return;
    QCPLayoutInset *inset = plot->axisRect()->insetLayout();
    inset->setInsetPlacement(0, QCPLayoutInset::ipFree);
    const axis_fraction f = pointer_fraction(pointer, qcp::inset_area(plot));
    const QRectF r = inset->insetRect(0);
    qcp::hold_range_drag(plot, true);
    state.dragging = 1;
    state.offset = {{f.x - r.x(), f.y - r.y()}};
}

void legend_move(QCustomPlot *plot, QPoint pointer, const legend_drag_state &state)
{
    if (state.dragging != 1)
        return;
    QCPLayoutInset *inset = plot->axisRect()->insetLayout();
    const axis_fraction f = pointer_fraction(pointer, qcp::inset_area(plot));
    QRectF r = inset->insetRect(0);
    r.moveTopLeft(QPointF(f.x - state.offset[0], f.y - state.offset[1]));
    inset->setInsetRect(0, r);
    qcp::replot_hint(plot);
}

void legend_release(QCustomPlot *plot, legend_drag_state &state)
{
    if (state.dragging)
        qcp::hold_range_drag(plot, false);
    state.dragging = 0;
}
