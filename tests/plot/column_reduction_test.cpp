// The reduced view of a long curve: every pixel column keeps its lowest and highest point, one-sample spikes
// included, while the curve grows and its tail is rewritten; zoomed in, every point is drawn.
#include <QtTest>

#include <cmath>
#include <vector>

#include "plot/column_reduction.h"

namespace {

// Keys and values interleaved, as the reduction reads them.
struct signal {
    std::vector<double> kv;
    int size() const { return int(kv.size() / 2); }
    strided_points view(int n) const { return {kv.data(), kv.data() + 1, 2, n}; }
    double key(int i) const { return kv[size_t(2 * i)]; }
    double value(int i) const { return kv[size_t(2 * i + 1)]; }
};

// A slow wave with one-sample spikes up and down; keys are times, or a potential sweeping back and forth.
signal make_signal(int n, bool time_keyed, const QVector<int> &spikes)
{
    signal s;
    s.kv.resize(size_t(2 * n));
    for (int i = 0; i < n; ++i) {
        const double sweep = std::fabs(std::fmod(i * 0.001, 2.0) - 1.0);  // 1 -> 0 -> 1, period 2000 points
        s.kv[size_t(2 * i)] = time_keyed ? i * 1.3978125 : sweep;
        s.kv[size_t(2 * i + 1)] = 5 * std::sin(i * 0.0003);
    }
    for (int k = 0; k < spikes.size(); ++k)
        s.kv[size_t(2 * spikes[k] + 1)] = (k % 2 ? -1000.0 : 1000.0) - k;
    return s;
}

}  // namespace

class column_reduction_test : public QObject {
    Q_OBJECT
private slots:
    void every_column_keeps_its_extremes_data()
    {
        QTest::addColumn<bool>("time_keyed");
        QTest::addColumn<int>("batch");
        QTest::addColumn<double>("view_from");   // fraction of the keys' span at the left edge
        QTest::addColumn<double>("view_to");
        QTest::addColumn<int>("columns");
        QTest::newRow("time, whole run, large batches") << true << 20000 << 0.0 << 1.0 << 700;
        QTest::newRow("time, whole run, small batches") << true << 37 << 0.0 << 1.0 << 700;
        QTest::newRow("time, thousands of points a column") << true << 5000 << 0.0 << 1.0 << 9;
        QTest::newRow("time, part of the run") << true << 5000 << 0.31 << 0.52 << 700;
        QTest::newRow("time, past the end of the run") << true << 5000 << -0.2 << 1.7 << 700;
        QTest::newRow("potential, whole sweep") << false << 1000 << 0.0 << 1.0 << 700;
        QTest::newRow("potential, part of the sweep") << false << 333 << 0.2 << 0.45 << 700;
    }
    void every_column_keeps_its_extremes()
    {
        QFETCH(bool, time_keyed);
        QFETCH(int, batch);
        QFETCH(double, view_from);
        QFETCH(double, view_to);
        QFETCH(int, columns);
        const int n = 100000;
        // Spikes at block edges of the summaries, at the ends and in the middle of columns.
        const QVector<int> spikes = {0, 1, 63, 64, 4095, 4096, 4097, 31000, 31001, 52345, 77777, n - 2, n - 1};
        const signal final_signal = make_signal(n, time_keyed, spikes);
        signal growing = final_signal;
        const double first = time_keyed ? final_signal.key(0) : 0.0;
        const double last = time_keyed ? final_signal.key(n - 1) : 1.0;
        column_grid grid;
        grid.lower = first + view_from * (last - first);
        grid.upper = first + view_to * (last - first);
        grid.columns = columns;
        // The live passes show the newest points provisionally and rewrite them with the next batch; the plot is
        // redrawn in between, so what the reduction keeps from one redraw to the next is checked too.
        const int hold_back = 50;
        column_reduction reduction;
        int previous = 0;
        for (int m = batch; m < n + batch; m += batch) {
            const int upto = std::min(m, n);
            const int rewrite_from = std::max(0, previous - hold_back);
            for (int i = rewrite_from; i < upto; ++i) {
                const bool provisional = upto < n && i >= upto - hold_back;
                growing.kv[size_t(2 * i + 1)] = final_signal.value(i) + (provisional ? 0.5 : 0.0);
            }
            reduction.changed_from(rewrite_from);
            reduction.update(growing.view(upto));
            reduction.drawn(growing.view(upto), grid);
            previous = upto;
        }
        QCOMPARE(growing.kv, final_signal.kv);
        QCOMPARE(reduction.keys_ascending(), time_keyed);

        std::vector<int> drawn;
        std::vector<double> drawn_keys, drawn_values;   // as the reduction keeps them, not as the data hold them
        for (const drawn_point &p : reduction.drawn(final_signal.view(n), grid)) {
            drawn.push_back(p.index);
            drawn_keys.push_back(p.key);
            drawn_values.push_back(p.value);
        }

        QVERIFY(std::is_sorted(drawn.begin(), drawn.end()));
        QVERIFY(std::adjacent_find(drawn.begin(), drawn.end()) == drawn.end());
        std::vector<double> data_low(size_t(grid.columns), HUGE_VAL), data_high(size_t(grid.columns), -HUGE_VAL);
        std::vector<double> drawn_low = data_low, drawn_high = data_high;
        for (int i = 0; i < n; ++i) {
            const int c = column_of(grid, final_signal.key(i));
            if (c < 0 || c >= grid.columns)
                continue;
            data_low[size_t(c)] = std::min(data_low[size_t(c)], final_signal.value(i));
            data_high[size_t(c)] = std::max(data_high[size_t(c)], final_signal.value(i));
        }
        for (size_t k = 0; k < drawn.size(); ++k) {
            QCOMPARE(drawn_keys[k], final_signal.key(drawn[k]));
            const int c = column_of(grid, drawn_keys[k]);
            if (c < 0 || c >= grid.columns)
                continue;
            drawn_low[size_t(c)] = std::min(drawn_low[size_t(c)], drawn_values[k]);
            drawn_high[size_t(c)] = std::max(drawn_high[size_t(c)], drawn_values[k]);
        }
        QCOMPARE(drawn_low, data_low);
        QCOMPARE(drawn_high, data_high);
        if (time_keyed) {
            // Two points a column at most, and one on either side to carry the line to the edges.
            QVERIFY(drawn.size() <= size_t(2 * grid.columns + 2));
            QVERIFY(!drawn.empty());
            if (view_from > 0)
                QCOMPARE(column_of(grid, final_signal.key(drawn.front())), -1);
            if (view_to < 1)
                QCOMPARE(column_of(grid, final_signal.key(drawn.back())), grid.columns);
        }
    }

    void zoomed_in_every_point_is_drawn_data()
    {
        QTest::addColumn<bool>("time_keyed");
        QTest::newRow("time") << true;
        QTest::newRow("potential") << false;
    }
    void zoomed_in_every_point_is_drawn()
    {
        QFETCH(bool, time_keyed);
        const int n = 200000;
        const signal s = make_signal(n, time_keyed, {120000});
        column_reduction reduction;
        reduction.update(s.view(n));
        column_grid grid;
        grid.columns = 800;
        // About 300 points of the middle: 120000 +- 150 in time; on the sweep (0.001 a point, 100 sweeps), 1.5 mV.
        grid.lower = time_keyed ? s.key(119850) - 0.1 : 0.5;
        grid.upper = time_keyed ? s.key(120149) + 0.1 : 0.5015;
        std::vector<int> inside;
        for (int i = 0; i < n; ++i) {
            const int c = column_of(grid, s.key(i));
            if (c >= 0 && c < grid.columns)
                inside.push_back(i);
        }
        QVERIFY(inside.size() >= 300);
        std::vector<int> drawn_inside;
        for (const drawn_point &p : reduction.drawn(s.view(n), grid)) {
            const int c = column_of(grid, p.key);
            if (c >= 0 && c < grid.columns)
                drawn_inside.push_back(p.index);
        }
        QCOMPARE(drawn_inside, inside);
    }

    // A dense time-keyed band: each column from its lowest to its highest point. Ordered for short joins, the
    // line climbs one column and comes down the next instead of crossing every column twice; columns of one or
    // three points and the points outside the window keep their order, and no point is lost or moved.
    void dense_columns_join_where_the_line_arrives()
    {
        column_grid grid;
        grid.lower = 0;
        grid.upper = 4;
        grid.columns = 4;
        const std::vector<drawn_point> drawn = {
            {0, -0.5, 5},                            // outside, left
            {1, 0.2, 0}, {2, 0.7, 10},               // column 0, low then high
            {3, 1.2, 0}, {4, 1.8, 10},               // column 1: arrives at 10, so high first
            {5, 2.5, 4},                             // column 2, one point
            {6, 3.1, 9}, {7, 3.4, 1}, {8, 3.6, 5},   // column 3, three points
            {9, 4.5, 5}};                            // outside, right
        const std::vector<drawn_point> ordered = short_joins(drawn, grid);
        std::vector<int> order;
        for (const drawn_point &p : ordered)
            order.push_back(p.index);
        // Column 0 arrives from 5: 0 and 10 are as near, so it keeps its order.
        QCOMPARE(order, (std::vector<int>{0, 1, 2, 4, 3, 5, 6, 7, 8, 9}));
        for (const drawn_point &p : ordered)
            QCOMPARE(p.key, drawn[size_t(p.index)].key);

        // A full band of 200 columns: the vertical travel falls to about one crossing a column.
        std::vector<drawn_point> band;
        grid.upper = 200;
        grid.columns = 200;
        for (int c = 0; c < 200; ++c) {
            band.push_back({2 * c, c + 0.25, 0});
            band.push_back({2 * c + 1, c + 0.75, 100});
        }
        const auto travel = [](const std::vector<drawn_point> &pts) {
            double sum = 0;
            for (size_t k = 1; k < pts.size(); ++k)
                sum += std::fabs(pts[k].value - pts[k - 1].value);
            return sum;
        };
        QCOMPARE(travel(band), 399 * 100.0);
        QCOMPARE(travel(short_joins(band, grid)), 200 * 100.0);
    }
};

QTEST_GUILESS_MAIN(column_reduction_test)
#include "column_reduction_test.moc"
