// The analyses of one analysis window: the record and the result behind every list row, with the plot
// curves each place owns, and the compaction that closes the gap a removed row leaves.
#pragma once

#include <QVector>
#include <array>

#include "analysis/analysis_result.h"
#include "lists/experiment_list_logic.h"
#include "plot/curve.h"

class QCustomPlot;
class QCPCurve;
class QPen;

// Pen of a tangent line: dashed, one pixel, in the tangent's colour, round caps and joins.
QPen tangent_pen(const QColor &colour);

class analysis_records {
public:
    static constexpr int capacity = max_analyses;

    // Place i holds analysis i; the results belong to the window, so a new window never sees the values,
    // folders or curves of an earlier one.
    curve &record(int i) { return records_.at(size_t(i)); }
    const curve &record(int i) const { return records_.at(size_t(i)); }
    analysis_result &result(int i) { return results_.at(size_t(i)); }
    const analysis_result &result(int i) const { return results_.at(size_t(i)); }

    // Gives every place its curves on `plot` (analysed cycle, second channel, smoothed cycle, unused fourth,
    // two tangent lines), hidden and out of the legend, and its starting state.
    void attach(QCustomPlot *plot);

    // Back to the starting state: no points, hidden, no name, details or folder, unsaved, zero results and the
    // tangent colours of palette pair i mod 12. The curve objects stay.
    void reset(int i);

    // Removes `rows` (those below `count`, the places in use) and moves every later analysis down over the
    // gap with all its fields; points change curves by handing over data containers, never point by point.
    // The places freed at the top are reset. The plan says which rows went and which row to make current.
    experiment_list::deletion_plan remove(int count, const QVector<int> &rows);

private:
    void move(int from, int to);

    std::array<curve, capacity> records_{};
    std::array<analysis_result, capacity> results_{};
};
