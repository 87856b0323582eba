// A plot curve that keeps all its points but draws only those that show at the plot's resolution, so that a
// redraw of a run of millions of samples costs about the plot's width.
#pragma once

#include "plot/column_reduction.h"

#include <qcustomplot.h>

#include <functional>

class reduced_curve : public QCPCurve {
public:
    reduced_curve(QCPAxis *key_axis, QCPAxis *value_axis);

    // Points from `index` on were rewritten, added or removed. Changes that only add or drop points at the end
    // are noticed without being told; anything that rewrites points in place must tell.
    void points_changed_from(int index) { reduction_.changed_from(index); }
    // The points are gone: everything kept about them is let go, memory included.
    void forget_points();

    // Reads new points ahead of the next redraw, a part at a time, calling `between_parts` after each part.
    void prepare(const std::function<void()> &between_parts);

    // Points the last redraw drew: all of them, or the reduced view's.
    int last_drawn_count() const { return last_drawn_; }

protected:
    void draw(QCPPainter *painter) override;

private:
    // The points as the reduction reads them; notes a new container or a changed count first.
    strided_points points_seen();

    // Fewer points than this are drawn as they are: reducing them would save nothing worth the work.
    static constexpr int reduce_from = 2000;

    column_reduction reduction_;
    const void *seen_container_ = nullptr;
    int seen_size_ = 0;
    QSharedPointer<QCPCurveDataContainer> drawn_;
    int last_drawn_ = 0;
};
