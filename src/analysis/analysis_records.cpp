// The analyses of one analysis window and the compaction of their places.
#include "analysis/analysis_records.h"

#include <QPen>
#include <qcustomplot.h>

#include "plot/curve_display.h"
#include "plot/curve_palette.h"
#include "plot/qcp_compat.h"
#include "plot/record_moves.h"

QPen tangent_pen(const QColor &colour)
{
    return QPen(QBrush(colour, Qt::SolidPattern), 1, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin);
}

namespace {

QCPCurve *hidden_curve(QCustomPlot *plot)
{
    auto *c = new QCPCurve(plot->xAxis, plot->yAxis);
    c->setVisible(false);
    c->removeFromLegend();
    return c;
}

}  // namespace

void analysis_records::attach(QCustomPlot *plot)
{
    for (int i = 0; i < capacity; ++i) {
        curve &r = record(i);
        analysis_result &res = result(i);
        r.ch1_curve = hidden_curve(plot);
        r.ch2_curve = hidden_curve(plot);
        r.ch1_raw_curve = hidden_curve(plot);
        r.ch2_raw_curve = hidden_curve(plot);
        res.anodic_tangent = hidden_curve(plot);
        res.cathodic_tangent = hidden_curve(plot);
        for (QCPCurve *t : {res.anodic_tangent, res.cathodic_tangent})
            t->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 5));
        reset(i);
    }
}

void analysis_records::reset(int i)
{
    curve &r = record(i);
    analysis_result &res = result(i);
    reset_record(r);
    analysis_result fresh_result;
    fresh_result.anodic_tangent = res.anodic_tangent;
    fresh_result.cathodic_tangent = res.cathodic_tangent;
    fresh_result.colour_a = pair_colour_ch1(palette_pair_for_record(i));
    fresh_result.colour_b = pair_colour_ch2(palette_pair_for_record(i));
    res = fresh_result;
    for (QCPCurve *c : {r.ch1_curve, r.ch2_curve, r.ch1_raw_curve, r.ch2_raw_curve, res.anodic_tangent,
                        res.cathodic_tangent}) {
        if (!c)
            continue;
        qcp::clear_points(c);
        c->setVisible(false);
        c->removeFromLegend();
        c->setName(QString());
    }
    if (r.ch1_curve) {
        r.ch1_curve->setPen(electrode_pen(r.ch1_colour));
        r.ch2_curve->setPen(electrode_pen(r.ch2_colour));
    }
    if (res.anodic_tangent) {
        res.anodic_tangent->setPen(tangent_pen(res.colour_a));
        res.cathodic_tangent->setPen(tangent_pen(res.colour_b));
    }
}

void analysis_records::move(int from, int to)
{
    curve &target = record(to);
    curve &source = record(from);
    analysis_result &target_result = result(to);
    analysis_result &source_result = result(from);
    // The points change hands with their containers; the source's old containers are refilled by a later
    // move or emptied when its place is freed.
    move_record_into(target, source);
    qcp::swap_points(target_result.anodic_tangent, source_result.anodic_tangent);
    qcp::swap_points(target_result.cathodic_tangent, source_result.cathodic_tangent);
    analysis_result moved_result = source_result;
    moved_result.anodic_tangent = target_result.anodic_tangent;
    moved_result.cathodic_tangent = target_result.cathodic_tangent;
    target_result = moved_result;

    target.ch1_curve->setPen(electrode_pen(target.ch1_colour));
    target.ch2_curve->setPen(electrode_pen(target.ch2_colour));
    target.ch1_curve->setName(target.name);
    target.ch2_curve->setName(target.name);
    target_result.anodic_tangent->setPen(tangent_pen(target_result.colour_a));
    target_result.cathodic_tangent->setPen(tangent_pen(target_result.colour_b));
}

experiment_list::deletion_plan analysis_records::remove(int count, const QVector<int> &rows)
{
    count = std::min(std::max(count, 0), int(capacity));
    // The rows are fixed here, before anything moves, so the analyses removed are exactly those asked for.
    const experiment_list::deletion_plan plan = experiment_list::plan_deletion(count, rows);
    if (plan.deleted.isEmpty())
        return plan;
    for (const auto &m : plan.moves)
        move(m.first, m.second);
    for (int i = plan.count_after; i < count; ++i)
        reset(i);
    return plan;
}
