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
        // A flat potential would collapse the axis; keep the x range then.
        const double width = x_max - x_min;
        if (width > 1e-7 || width < -1e-7) {
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
