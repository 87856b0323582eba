// Cycle boundaries, the cut of one cycle out of a long record, and the peak-slider ranges of an experiment.
#include <QtTest>

#include "analysis/cycle_cut.h"
#include "grid_sweep.h"

#include <algorithm>
#include <cmath>

using namespace analysis;

class cycle_cut_test : public QObject {
    Q_OBJECT
private slots:
    void cut_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("choices");
        QTest::addColumn<int>("cycle");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("size");
        QTest::newRow("cycle 0 ends at 2038") << 6000 << 3 << 0 << 0 << 2038;
        QTest::newRow("cycle 1 is [2038, 4755)") << 6000 << 3 << 1 << 2038 << 4755 - 2038;
        QTest::newRow("clamped to the points") << 3000 << 3 << 1 << 2038 << 3000 - 2038;
        QTest::newRow("start past the points") << 2000 << 3 << 1 << 0 << 0;
        QTest::newRow("one box item: whole curve") << 6000 << 1 << 0 << 0 << 6000;
        // 16-bit boundaries would wrap here and leave the cycle empty.
        QTest::newRow("cycle 30 of a long run") << 100000 << 40 << 30 << 80842 << 83559 - 80842;
    }

    // Measured extremes exactly +-0.5 V (start 0, 0.736 mV); the value of point t is t, so a cut shows its bounds.
    void cut()
    {
        QFETCH(int, points);
        QFETCH(int, choices);
        QFETCH(int, cycle);
        QFETCH(int, first);
        series rec;
        for (int t = 0; t < points; ++t)
            rec.append(t == 1 ? 0.5 : t == 2 ? -0.5 : 0.0, t);
        series ch2 = rec;  // electrode 2 carries the negated values
        for (double &v : ch2.values)
            v = -v;
        for (int channel : {0, 1}) {
            const cycle_source src{&rec, &ch2, {0.4f, -0.3f, 0.0f, 736}, uint16_t(choices), choices, cycle, channel};
            const cycle_cut c = cut_cycle(src);
            QCOMPARE(c.range.e_max, 0.5f);
            QTEST(int(c.cycle.size()), "size");
            if (!c.cycle.empty())
                QCOMPARE(c.cycle.values.front(), double(channel ? -first : first));
        }
    }

    // Where each cycle ends: live potentials in single precision, or read back from a file's six digits.
    void boundaries_data()
    {
        QTest::addColumn<float>("e_max");
        QTest::addColumn<float>("e_min");
        QTest::addColumn<float>("e_start");
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("cycle");
        QTest::addColumn<qint64>("end");
        // -1000..1000 mV on the 0.736 mV grid: the turns lie at +-1.000224 V, 5436 points a cycle.
        QTest::newRow("live, cycle 1") << 1.000224f << -1.000224f << -1.000224f << 736 << 0 << qint64(5436);
        QTest::newRow("live, cycle 3") << 1.000224f << -1.000224f << -1.000224f << 736 << 2 << qint64(16308);
        QTest::newRow("six digits, cycle 1") << 1.00022f << -1.00022f << -1.00022f << 736 << 0 << qint64(5436);
        QTest::newRow("six digits, cycle 2") << 1.00022f << -1.00022f << -1.00022f << 736 << 1 << qint64(10872);
        QTest::newRow("six digits, cycle 201") << 1.00022f << -1.00022f << -1.00022f << 736 << 200 << qint64(1092636);
        // Short of a whole point by more than rounding: truncated as ever.
        QTest::newRow("0.6 point short") << 1.0f << -1.0f << -0.9996f << 1 << 0 << qint64(3999);
        QTest::newRow("off the grid") << 0.5f << -0.5f << 0.0f << 736 << 1 << qint64(4755);
    }

    void boundaries()
    {
        QFETCH(float, e_max);
        QFETCH(float, e_min);
        QFETCH(float, e_start);
        QFETCH(int, resolution);
        QFETCH(int, cycle);
        QTEST(qint64(cycle_boundary({e_max, e_min, e_start, uint16_t(resolution)}, cycle)), "end");
    }

    // The instrument's triangle with turning points off the step grid: every later cycle is one sweep from e_min.
    void off_grid_triangles_data()
    {
        QTest::addColumn<double>("e_start");
        QTest::addColumn<double>("e_max");
        QTest::addColumn<double>("e_min");
        QTest::addColumn<int>("resolution");
        QTest::newRow("0.736 mV, start 0") << 0.0 << 0.5 << -0.5 << 736;
        QTest::newRow("3 mV, start inside") << 0.1 << 0.8 << -0.25 << 3;
    }

    void off_grid_triangles()
    {
        QFETCH(double, e_start);
        QFETCH(double, e_max);
        QFETCH(double, e_min);
        QFETCH(int, resolution);
        const double step = potential_step_mV(uint16_t(resolution)) / 1000.0;
        const int sweep = int((e_max - e_min) / step);
        series rec;
        double e = e_start, dir = 1;
        for (int t = 0; t < 10 * sweep; ++t, e += dir * step) {
            rec.append(e, 0);
            if (e + dir * step > e_max + 1e-12 || e + dir * step < e_min - 1e-12)
                dir = -dir;
        }
        for (int j = 1; j <= 3; ++j) {
            const cycle_cut cut = cut_cycle({&rec, nullptr, {float(e_max), float(e_min), float(e_start), uint16_t(resolution)}, 5, 5, j, 0});
            const series &c = cut.cycle;
            const double tolerance = 2.01 * step;  // each truncated boundary may fall one point either side of a turn
            QVERIFY(std::abs(int(c.size()) - 2 * sweep) <= 2);
            QVERIFY(std::abs(c.keys.front() - cut.range.e_min) <= tolerance);
            QVERIFY(std::abs(c.keys[c.size() / 2] - cut.range.e_max) <= tolerance);
        }
    }

    // Long runs on the instrument's grid, live or read back from a file: every cycle begins at the sample where
    // the potential turns at its lower vertex (the first at sample 0) and ends just before the next one; a run
    // stopped early ends its last cycle with its points. Cycle 0 ends at `first`, every later one `period` on.
    void cycles_begin_at_lower_turns_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("cycles");
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("six_digits");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("period");
        QTest::newRow("1 mV, 50 cycles") << -400.0 << 600.0 << -400.0 << 1.0 << 1 << 50 << 100000 << false << 2000 << 2000;
        QTest::newRow("2 mV") << -400.0 << 600.0 << -400.0 << 2.0 << 2 << 50 << 50000 << false << 1000 << 1000;
        QTest::newRow("5 mV") << -400.0 << 600.0 << -400.0 << 5.0 << 5 << 50 << 20000 << false << 400 << 400;
        QTest::newRow("0.736 mV") << -400.0 << 600.0 << -400.0 << grid_mV << 736 << 50 << 135800 << false << 2716 << 2716;
        QTest::newRow("1 mV from 0 V") << 0.0 << 600.0 << -400.0 << 1.0 << 1 << 3 << 5600 << false << 1600 << 2000;
        QTest::newRow("1 mV, stopped in cycle 31") << -400.0 << 600.0 << -400.0 << 1.0 << 1 << 50 << 61234 << false << 2000 << 2000;
        QTest::newRow("1 mV, stopped a point before a turn") << -400.0 << 600.0 << -400.0 << 1.0 << 1 << 50 << 59999 << false << 2000 << 2000;
        // The grid turns (-100.096, +100.096 mV) lie outside the requested ones: each estimate runs ahead of its turn.
        QTest::newRow("1 mV, turns outside") << -100.0 << 100.0 << -100.0 << 1.0 << 1 << 20 << 8000 << false << 400 << 400;
        QTest::newRow("1 mV, six digits") << -400.0 << 600.0 << -400.0 << 1.0 << 1 << 50 << 100000 << true << 2000 << 2000;
        QTest::newRow("standard run") << -1000.0 << 1000.0 << -1000.0 << grid_mV << 736 << 3 << 16308 << false << 5436 << 5436;
        QTest::newRow("standard run, six digits") << -1000.0 << 1000.0 << -1000.0 << grid_mV << 736 << 3 << 16308 << true << 5436 << 5436;
    }

    void cycles_begin_at_lower_turns()
    {
        QFETCH(double, start);
        QFETCH(double, high);
        QFETCH(double, low);
        QFETCH(double, step);
        QFETCH(int, resolution);
        QFETCH(int, cycles);
        QFETCH(int, points);
        QFETCH(bool, six_digits);
        QFETCH(int, first);
        QFETCH(int, period);
        series rec;
        const std::vector<double> keys = grid_sweep(start, high, low, step, points, six_digits);
        for (std::size_t t = 0; t < keys.size(); ++t)
            rec.append(keys[t], double(t));  // the value of point t is t, so a cut shows its bounds
        const cycle_geometry g{0, 0, float(keys[0]), uint16_t(resolution)};
        for (int j = 0; j < cycles; ++j) {
            const int from = j == 0 ? 0 : first + (j - 1) * period, to = std::min(first + j * period, points);
            const series c = cut_cycle({&rec, &rec, g, uint16_t(cycles), cycles, j, j % 2}).cycle;
            const QByteArray told = "cycle " + QByteArray::number(j) + ": [" +
                                    QByteArray::number(c.empty() ? -1 : c.values.front()) + ", " +
                                    QByteArray::number(c.empty() ? -1 : c.values.back() + 1) + ")";
            QVERIFY2(from < to ? !c.empty() && c.values.front() == from && c.values.back() == to - 1 : c.empty(), told);
        }
    }

    void slider_ranges_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("zero_step");
        QTest::addColumn<int>("a_enabled");  // -1: left as it is
        QTest::addColumn<int>("a_max");
        QTest::addColumn<int>("c_enabled");
        QTest::addColumn<int>("c_max");
        QTest::newRow("voltammogram") << 2001 << false << 1 << 600 << 1 << 600;
        QTest::newRow("no points") << 0 << false << 0 << 5 << 1 << 0;
        QTest::newRow("four points") << 4 << false << 0 << 5 << 1 << 0;
        QTest::newRow("zero first step") << 2001 << true << 1 << 600 << 0 << 5;
    }

    // Up from -0.5 V by 1/1024 V for 1000 points and back: anodic peak at 600, cathodic minimum at 1600,
    // 600 steps below the upper turn.
    void slider_ranges()
    {
        QFETCH(int, points);
        QFETCH(bool, zero_step);
        series rec;
        for (int t = 0; t < points; ++t)
            rec.append(t == 1 && zero_step ? -0.5 : -0.5 + (t <= 1000 ? t : 2000 - t) / 1024.0,
                       t == 600 ? 9.0 : t == 1600 ? -9.0 : 0.0);
        const slider_setups s = setup_sliders(rec, {}, -0.5f, 0);
        QTEST(s.anodic.enabled ? int(*s.anodic.enabled) : -1, "a_enabled");
        QTEST(s.anodic.maximum, "a_max");
        QTEST(s.cathodic.enabled ? int(*s.cathodic.enabled) : -1, "c_enabled");
        QTEST(s.cathodic.maximum, "c_max");
        QCOMPARE(s.cathodic.value, s.cathodic.maximum / 2);
    }
};

QTEST_GUILESS_MAIN(cycle_cut_test)
#include "cycle_cut_test.moc"
