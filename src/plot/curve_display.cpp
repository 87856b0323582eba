// How experiment curves look and where Center puts the axes.
#include "plot/curve_display.h"

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

namespace {
// A flat potential would collapse the axis; the x range is kept then.
bool has_width(double lower, double upper)
{
    const double width = upper - lower;
    return width > 1e-7 || width < -1e-7;
}
}  // namespace

fitted_ranges fit_ranges(const record_extent &current, const QVector<record_extent> &selected)
{
    fitted_ranges out;
    double x_min = current.e_min, x_max = current.e_max;
    double y_min = current.i_min, y_max = current.i_max;
    for (const record_extent &r : selected) {
        x_min = std::min(x_min, r.e_min);
        x_max = std::max(x_max, r.e_max);
        y_min = std::min(y_min, r.i_min);
        y_max = std::max(y_max, r.i_max);
        if (has_width(x_min, x_max)) {
            out.set_x = true;
            out.x_lower = x_min;
            out.x_upper = x_max;
        }
        out.set_y = true;
        out.y_lower = y_min;
        out.y_upper = y_max;
    }
    return out;
}

fitted_ranges fit_run_ranges(const run_extent &run, const QVector<record_extent> &shown)
{
    double x_min = std::min(run.span_from, run.span_to), x_max = std::max(run.span_from, run.span_to);
    double y_min = 0, y_max = 0;
    bool y_known = false;
    auto widen = [&](const record_extent &r) {
        x_min = std::min(x_min, r.e_min);
        x_max = std::max(x_max, r.e_max);
        y_min = y_known ? std::min(y_min, r.i_min) : r.i_min;
        y_max = y_known ? std::max(y_max, r.i_max) : r.i_max;
        y_known = true;
    };
    if (run.has_samples)
        widen(run.samples);
    for (const record_extent &r : shown)
        widen(r);
    fitted_ranges out;
    out.set_x = has_width(x_min, x_max);
    out.x_lower = x_min;
    out.x_upper = x_max;
    out.set_y = y_known;
    out.y_lower = y_min;
    out.y_upper = y_max;
    return out;
}
