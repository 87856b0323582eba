// The few places where QCustomPlot 2.1 differs from the 1.3 interface the screens were designed against.
#pragma once

#include "plot/reduced_curve.h"

#include <qcustomplot.h>

#include <QVector>
#include <algorithm>

#include <algorithm>
#include <functional>

namespace qcp {

// 1.3's rpHint is rpRefreshHint in 2.1.
inline void replot_hint(QCustomPlot *plot) { plot->replot(QCustomPlot::rpRefreshHint); }

// 2.1 adds every new plottable to the legend unless told otherwise; our records join the legend only when used.
inline void keep_new_plottables_out_of_legend(QCustomPlot *plot) { plot->setAutoAddPlottableToLegend(false); }

// A legend item is exactly one line of its font high, and 2.1 clips every layerable to its rectangle moved
// up by one pixel, so the item's lowest pixel row is never drawn. Where a face puts its underscore in that
// row (DejaVu at 8 to 12 pixels), "New_Experiment_w1" showed as "New Experiment w1", on screen and in saved
// images. Each item gets room at the bottom for the lowest ink of its font plus the lost row.
inline void keep_legend_text_whole(QCPLegend *legend)
{
    for (int i = 0; i < legend->itemCount(); ++i) {
        QCPAbstractLegendItem *item = legend->item(i);
        if (!item)
            continue;
        const QFontMetrics fm(item->font());
        const int lowest_ink = fm.tightBoundingRect(QStringLiteral("_gjpqy")).bottom();  // rows below the baseline
        const int room = std::max(0, lowest_ink + 2 - fm.descent());
        if (item->margins().bottom() != room)
            item->setMargins(QMargins(0, 0, 0, room));
    }
}

// The legend's smallest size holding its items: 1.3's minimumSizeHint is minimumOuterSizeHint in 2.1, and 2.1
// applies size limits to the inner rectangle unless told to use the outer one.
inline void limit_legend_to_contents(QCPLegend *legend)
{
    keep_legend_text_whole(legend);
    legend->setSizeConstraintRect(QCPLayoutElement::scrOuterRect);
    legend->setMaximumSize(legend->minimumOuterSizeHint());
}

// Fractions of a free inset placement are measured in the inset layout's own rectangle, which lies 12 pixels
// inside the axis rectangle; pointer fractions for placing an inset must use the same rectangle.
inline QRect inset_area(QCustomPlot *plot) { return plot->axisRect()->insetLayout()->rect(); }

// In 1.3 a press on the legend went to the legend alone; 2.1 passes it on to the axis rectangle, which then
// drags the ranges as well. Holding range dragging off while the legend is dragged restores the 1.3 behaviour.
inline void hold_range_drag(QCustomPlot *plot, bool hold) { plot->setInteraction(QCP::iRangeDrag, !hold); }

// A curve's points as plain key and value vectors, in curve order.
struct points {
    QVector<double> keys;
    QVector<double> values;
};

// Tells a curve that draws a reduced view that its points from `from` on were rewritten.
inline void points_changed(QCPCurve *c, int from)
{
    if (auto *reduced = dynamic_cast<reduced_curve *>(c))
        reduced->points_changed_from(from);
}

// Lets a curve that draws a reduced view get ready for a long new set of points a part at a time, calling
// `between_parts` after each, so that its first redraw does not have to read them all at once.
inline void prepare_view(QCPCurve *c, const std::function<void()> &between_parts)
{
    if (auto *reduced = dynamic_cast<reduced_curve *>(c))
        reduced->prepare(between_parts);
}

inline int point_count(const QCPCurve *c) { return c ? c->data()->size() : 0; }

inline points read_points(const QCPCurve *c)
{
    points p;
    if (!c)
        return p;
    const auto data = c->data();
    p.keys.reserve(data->size());
    p.values.reserve(data->size());
    for (auto it = data->constBegin(); it != data->constEnd(); ++it) {
        p.keys.push_back(it->key);
        p.values.push_back(it->value);
    }
    return p;
}

// A curve's points built from key and value vectors, the running index as the sort key so that the curve keeps
// the given order. Touches no plot object: it may be built on any thread.
inline QVector<QCPCurveData> curve_data(const QVector<double> &keys, const QVector<double> &values)
{
    const int n = std::min(keys.size(), values.size());
    QVector<QCPCurveData> points(n);
    QCPCurveData *out = points.data();
    for (int i = 0; i < n; ++i)
        out[i] = QCPCurveData(i, keys[i], values[i]);
    return points;
}

// Gives a curve points built by curve_data; the container takes them over without a copy.
inline void take_points(QCPCurve *c, const QVector<QCPCurveData> &points);

// Replaces a curve's points in one pass; the sort key is the running index, so the curve keeps the given order.
// With `between_parts`, a long curve is filled a part at a time and it is called after each part.
inline void set_points(QCPCurve *c, const QVector<double> &keys, const QVector<double> &values,
                       const std::function<void()> &between_parts = {})
{
    if (!c)
        return;
    constexpr int part = 1 << 18;
    const int n = std::min(keys.size(), values.size());
    if (!between_parts || n <= part) {
        c->setData(keys, values);
    } else {
        // Room for all points at once: growing the container part by part would copy everything it holds
        // each time it doubles. The container then takes the points over without a copy.
        QVector<QCPCurveData> points;
        points.reserve(n);
        for (int from = 0; from < n; from += part) {
            const int to = std::min(n, from + part);
            for (int i = from; i < to; ++i)
                points.append(QCPCurveData(i, keys[i], values[i]));
            between_parts();
        }
        c->data()->set(points, true);
    }
    points_changed(c, 0);
}

inline void take_points(QCPCurve *c, const QVector<QCPCurveData> &points)
{
    if (!c)
        return;
    c->data()->set(points, true);   // already in order: the vector is shared, not copied
    points_changed(c, 0);
}

inline void add_point(QCPCurve *c, double key, double value)
{
    if (c)
        c->addData(key, value);   // an added last point is noticed without being told
}

// Empties a curve and gives back its points' memory (emptying alone keeps it for the next points), and with
// them what a reduced view kept about them. The container stays the same, so a curve sharing it is emptied too.
inline void clear_points(QCPCurve *c)
{
    if (!c)
        return;
    c->data()->clear();
    c->data()->squeeze();
    if (auto *reduced = dynamic_cast<reduced_curve *>(c))
        reduced->forget_points();
}

// Makes `follower` hold the very points of `owner` (one container, no copy), so that a change through either
// shows in both. own_points gives it back a container of its own, empty.
inline void share_points(QCPCurve *follower, QCPCurve *owner)
{
    if (follower && owner && follower != owner)
        follower->setData(owner->data());
}
inline void own_points(QCPCurve *c)
{
    if (c)
        c->setData(QSharedPointer<QCPCurveDataContainer>(new QCPCurveDataContainer));
}

// Exchanges two curves' points without copying them: 2.1 keeps them in a shared data container, so handing
// the containers over is enough (1.3 would swap the curves' data maps instead).
inline void swap_points(QCPCurve *a, QCPCurve *b)
{
    if (!a || !b || a == b)
        return;
    const QSharedPointer<QCPCurveDataContainer> held = a->data();
    a->setData(b->data());
    b->setData(held);
    points_changed(a, 0);
    points_changed(b, 0);
}

// 2.1's savePng/saveJpg gained a resolution-unit argument after the resolution; 1.3 callers pass width, height, scale, quality.
inline bool save_png(QCustomPlot *plot, const QString &path, int width = 0, int height = 0)
{
    return plot->savePng(path, width, height, 1.0, -1, 96, QCP::ruDotsPerInch);
}
inline bool save_jpg(QCustomPlot *plot, const QString &path, int width = 0, int height = 0)
{
    return plot->saveJpg(path, width, height, 1.0, -1, 96, QCP::ruDotsPerInch);
}

}  // namespace qcp
