// How experiment curves look and where Center puts the axes.
#include "plot/curve_display.h"

#include "plot/qcp_compat.h"

#include <algorithm>

QPen electrode_pen(const QColor &colour)
{
    return QPen(QBrush(colour, Qt::SolidPattern), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QString swatch_style(const QColor &colour)
{
    return QStringLiteral(" background-color : ") + colour.name();
}

QString blank_swatch_style()
{
    return QStringLiteral("background-color: rgb(255,255,255);");
}

run_extremes drawn_extremes(const QVector<qcp::points> &curves)
{
    run_extremes extremes;
    for (const qcp::points &c : curves) {
        const int n = std::min(c.keys.size(), c.values.size());
        for (int i = 0; i < n; ++i)
            update_extremes(extremes, float(c.keys[i]), float(c.values[i]));
    }
    return extremes;
}

namespace {
// The extremes gathered so far; the y range only once some current is known.
struct gathered {
    double x_min = 0, x_max = 0, y_min = 0, y_max = 0;
    bool y_known = false;

    void widen(const record_extent &r)
    {
        x_min = std::min(x_min, r.e_min);
        x_max = std::max(x_max, r.e_max);
        y_min = y_known ? std::min(y_min, r.i_min) : r.i_min;
        y_max = y_known ? std::max(y_max, r.i_max) : r.i_max;
        y_known = true;
    }

    // A flat potential would collapse the axis; the x range is kept then.
    fitted_ranges ranges() const
    {
        fitted_ranges out;
        const double width = x_max - x_min;
        out.set_x = width > 1e-7 || width < -1e-7;
        out.x_lower = x_min;
        out.x_upper = x_max;
        out.set_y = y_known;
        out.y_lower = y_min;
        out.y_upper = y_max;
        return out;
    }
};
}  // namespace

fitted_ranges fit_ranges(const record_extent &current, const QVector<record_extent> &selected)
{
    // Nothing is set without a selection. The x range only grows, so its width at the end decides.
    if (selected.isEmpty())
        return {};
    gathered all{current.e_min, current.e_max};
    all.widen(current);
    for (const record_extent &r : selected)
        all.widen(r);
    return all.ranges();
}

fitted_ranges fit_run_ranges(const run_extent &run, const QVector<record_extent> &shown)
{
    gathered all{std::min(run.span_from, run.span_to), std::max(run.span_from, run.span_to)};
    if (run.has_samples)
        all.widen(run.samples);
    for (const record_extent &r : shown)
        all.widen(r);
    return all.ranges();
}
