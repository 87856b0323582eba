// Pointer positions on the plot as fractions of the axis rectangle, and the pointer tool tip text.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

struct axis_fraction {
    double x = 0.0;
    double y = 0.0;
};

// (pointer - top-left corner) / size, the size counting pixels inclusively as QRect does.
inline axis_fraction pointer_fraction(QPoint pointer, QRect axis_rect)
{
    const int w = axis_rect.width() > 0 ? axis_rect.width() : 1;
    const int h = axis_rect.height() > 0 ? axis_rect.height() : 1;
    return {double(pointer.x() - axis_rect.left()) / w, double(pointer.y() - axis_rect.top()) / h};
}

inline QString pointer_tooltip(double potential_v, double current_ua)
{
    return QStringLiteral("E: %1V , I:%2\u00b5A").arg(potential_v, 0, 'g', 6).arg(current_ua, 0, 'g', 6);
}
