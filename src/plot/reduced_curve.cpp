// A plot curve that draws only the points that show at the plot's resolution.
#include "plot/reduced_curve.h"

#include <algorithm>

reduced_curve::reduced_curve(QCPAxis *key_axis, QCPAxis *value_axis)
    : QCPCurve(key_axis, value_axis), drawn_(new QCPCurveDataContainer)
{
}

strided_points reduced_curve::points_seen()
{
    const QCPCurveDataContainer *all = mDataContainer.data();
    const int n = all->size();
    if (all != seen_container_) {
        reduction_.changed_from(0);
        seen_container_ = all;
    } else if (n != seen_size_) {
        reduction_.changed_from(std::min(n, seen_size_));
    }
    seen_size_ = n;
    strided_points pts;
    if (n == 0)
        return pts;
    const QCPCurveData &first = *all->constBegin();
    pts.keys = &first.key;
    pts.values = &first.value;
    pts.stride = sizeof(QCPCurveData) / sizeof(double);
    pts.count = n;
    return pts;
}

void reduced_curve::forget_points()
{
    reduction_ = column_reduction();
    drawn_.reset(new QCPCurveDataContainer);
    seen_container_ = nullptr;
    seen_size_ = 0;
}

void reduced_curve::prepare(const std::function<void()> &between_parts)
{
    constexpr int part = 1 << 20;
    strided_points pts = points_seen();
    const int n = pts.count;
    if (n < reduce_from)
        return;
    for (int k = std::min(n, part);; k = std::min(n, k + part)) {
        pts.count = k;
        reduction_.update(pts);
        if (k == n)
            break;
        if (between_parts)
            between_parts();
    }
}

void reduced_curve::draw(QCPPainter *painter)
{
    const QSharedPointer<QCPCurveDataContainer> all = mDataContainer;
    strided_points pts = points_seen();
    const int n = pts.count;
    const QCPAxis *key_axis = mKeyAxis.data();
    if (n < reduce_from || !key_axis) {
        last_drawn_ = n;
        QCPCurve::draw(painter);
        return;
    }
    reduction_.update(pts);
    const QRect rect = key_axis->axisRect()->rect();
    column_grid grid;
    grid.lower = key_axis->range().lower;
    grid.upper = key_axis->range().upper;
    grid.columns = std::max(1, key_axis->orientation() == Qt::Horizontal ? rect.width() : rect.height());
    const std::vector<drawn_point> &picked = reduction_.drawn(pts, grid);
    if (picked.size() * 2 > size_t(n)) {
        reduction_.release_result();
        last_drawn_ = n;
        QCPCurve::draw(painter);
        return;
    }

    // The curve draws its points in the order of their first field: the order chosen here.
    const std::vector<drawn_point> ordered = reduction_.keys_ascending() ? short_joins(picked, grid) : picked;
    QVector<QCPCurveData> points;
    points.reserve(int(ordered.size()));
    for (const drawn_point &p : ordered)
        points.append(QCPCurveData(points.size(), p.key, p.value));
    drawn_->set(points, true);
    last_drawn_ = points.size();
    mDataContainer = drawn_;
    // Antialiasing mainly blurs the dense strokes of a reduced view, and costs most where they are dense.
    const bool antialiased = mAntialiased;
    mAntialiased = false;
    QCPCurve::draw(painter);
    mAntialiased = antialiased;
    mDataContainer = all;
}
