// What the analysis window's tests share: finding widgets, the curves on show, and cyclic voltammograms made the
// way the run screen hands them over.
#pragma once

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <qcustomplot.h>

#include "analysis/qv_analysis_window.h"
#include "plot/curve_palette.h"
#include "plot/qcp_compat.h"

namespace analysis_fixtures {

// A named child that must exist: a missing one is a broken form, not a test result.
template <typename T>
T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

inline QStringList items(QComboBox *box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

inline QStringList rows(QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// The curves drawn on the window's plot.
inline QList<QCPCurve *> visible_curves(QWidget *window)
{
    QList<QCPCurve *> shown;
    auto *plot = child<QCustomPlot>(window, "widget2");
    for (int i = 0; i < plot->plottableCount(); ++i)
        if (auto *c = qobject_cast<QCPCurve *>(plot->plottable(i)); c && c->visible())
            shown << c;
    return shown;
}

// The curves the plot's legend lists.
inline QList<QCPCurve *> legend_curves(QWidget *window)
{
    QList<QCPCurve *> listed;
    auto *plot = child<QCustomPlot>(window, "widget2");
    for (int i = 0; i < plot->legend->itemCount(); ++i)
        if (auto *item = qobject_cast<QCPPlottableLegendItem *>(plot->legend->item(i)))
            listed << qobject_cast<QCPCurve *>(item->plottable());
    return listed;
}

// Rows of the analyses whose curves are in `curves`, ascending, for readable comparisons.
inline QVector<int> analysis_rows(qv_analysis_window *w, const QList<QCPCurve *> &curves)
{
    QVector<int> found;
    for (QCPCurve *c : curves)
        for (int i = 0; i < analysis_records::capacity; ++i)
            if (w->analyses().record(i).ch1_curve == c)
                found << i;
    std::sort(found.begin(), found.end());
    return found;
}

inline void destroy_deferred() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Reversible-looking peaks on a sloping baseline, in µA: anodic at `anodic_v` on the way up, cathodic at
// `cathodic_v` on the way down, both 0.04 V wide.
struct peak_model {
    double anodic_v = 0.10, cathodic_v = 0.03;
    double height_uA = 20, slope_uA_per_V = 4;
};

// A cyclic-voltammetry record as the run screen hands it over: both electrodes (electrode 2 the mirror of
// electrode 1), `cycles` triangles from -0.5 V to 0.5 V and back in steps of `resolution` (mV, or 736 for the
// standard 0.736 mV), starting at the low end. Its curves live on `source`, the run screen's plot.
inline curve voltammogram(QCustomPlot *source, const QString &name, int cycles = 1, uint16_t rate = 100,
                          const peak_model &m = peak_model{}, uint16_t resolution = 736)
{
    curve c;
    c.name = name;
    c.saved_name = name;
    c.method = QStringLiteral("Cyclic Voltammetry");
    c.cycles = uint16_t(cycles);
    c.rate = rate;
    c.resolution = resolution;
    c.ch1_colour = pair_colour_ch1(1);
    c.ch2_colour = pair_colour_ch2(1);
    c.e_min = -0.5f, c.e_max = 0.5f, c.e_start = -0.5f;
    c.i_min = -30.0f, c.i_max = 30.0f;
    c.channel_code = 3;
    c.details = QStringList{QStringLiteral("Cyclic Voltammetry"), QStringLiteral("User: ann")};
    c.ch1_curve = new QCPCurve(source->xAxis, source->yAxis);
    c.ch2_curve = new QCPCurve(source->xAxis, source->yAxis);
    const double step = resolution == 736 ? 0.000736 : resolution / 1000.0;
    const int sweep = int(1.0 / step + 1e-9);  // points from one end to the other
    QVector<double> keys, values, mirrored;
    for (int t = 0; t < 2 * sweep * cycles; ++t) {
        const int k = t % (2 * sweep);
        const bool up = k < sweep;
        const double e = -0.5 + step * (up ? k : 2 * sweep - k);
        const double peak = up ? m.height_uA * std::exp(-std::pow((e - m.anodic_v) / 0.04, 2))
                               : -m.height_uA * std::exp(-std::pow((e - m.cathodic_v) / 0.04, 2));
        keys << e;
        values << m.slope_uA_per_V * e + peak;
        mirrored << -(m.slope_uA_per_V * e + peak);
    }
    qcp::set_points(c.ch1_curve, keys, values);
    qcp::set_points(c.ch2_curve, keys, mirrored);
    return c;
}

// The same record swept the other way: from the high end down first, its currents mirrored with the potentials.
inline curve swept_down_first(curve c)
{
    for (QCPCurve *electrode : {c.ch1_curve, c.ch2_curve}) {
        qcp::points p = qcp::read_points(electrode);
        for (int i = 0; i < p.keys.size(); ++i)
            p.keys[i] = -p.keys[i], p.values[i] = -p.values[i];
        qcp::set_points(electrode, p.keys, p.values);
    }
    c.e_start = c.e_max;
    return c;
}

// Analyses the window's current selection under `name` with the method at index `method` of its method box
// (the name first: a change of method analyses at once, under the name then in the field).
inline void analyse(qv_analysis_window *w, const QString &name, int method = 0)
{
    child<QLineEdit>(w, "analysis_name")->setText(name);
    child<QComboBox>(w, "Method_2")->setCurrentIndex(method);
    w->on_Stop_clicked();
}

}  // namespace analysis_fixtures
