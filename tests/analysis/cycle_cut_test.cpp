// Cycle boundaries, the cut of one cycle out of a long record, and the peak-slider ranges of an experiment.
#include <QtTest>

#include "analysis/cycle_cut.h"

#include <cmath>

using namespace analysis;

namespace {

// A record whose measured extremes are exactly +-0.5 V and whose value at point t is t, so a cut shows its bounds.
series indexed_record(int points)
{
    series s;
    for (int t = 0; t < points; ++t)
        s.append(t == 1 ? 0.5 : t == 2 ? -0.5 : 0.0, t);
    return s;
}

// The instrument's triangle: from e_start up by `step` V, turning before a step would pass e_max or e_min.
series triangle(double e_start, double e_max, double e_min, double step, int points)
{
    series s;
    double e = e_start, dir = 1;
    for (int t = 0; t < points; ++t) {
        s.append(e, std::sin(t * 0.01));
        if (e + dir * step > e_max + 1e-12 || e + dir * step < e_min - 1e-12)
            dir = -dir;
        e += dir * step;
    }
    return s;
}

constexpr double step_1024 = 1.0 / 1024;

}  // namespace

class cycle_cut_test : public QObject {
    Q_OBJECT
private slots:
    void step_by_resolution()
    {
        QCOMPARE(potential_step_mV(736), 0.736f);
        QCOMPARE(potential_step_mV(0), 0.736f);
        QCOMPARE(potential_step_mV(256), 0.736f);
        QCOMPARE(potential_step_mV(5), 5.0f);
        QCOMPARE(potential_step_mV(255), 255.0f);
    }

    void cut_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("cycles");
        QTest::addColumn<int>("choices");
        QTest::addColumn<int>("cycle");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("size");
        QTest::newRow("cycle 0 ends at 2038") << 6000 << 3 << 3 << 0 << 0 << 2038;
        QTest::newRow("cycle 1 is [2038, 4755)") << 6000 << 3 << 3 << 1 << 2038 << 4755 - 2038;
        QTest::newRow("cycle 1 clamped to the points") << 3000 << 3 << 3 << 1 << 2038 << 3000 - 2038;
        QTest::newRow("cycle starting past the points") << 2000 << 3 << 3 << 1 << 0 << 0;
        QTest::newRow("one cycle box item: the whole curve") << 6000 << 3 << 1 << 0 << 0 << 6000;
        QTest::newRow("one-cycle record ends at its points") << 6000 << 1 << 3 << 1 << 2038 << 6000 - 2038;
        // 16-bit boundaries would wrap here and leave the cycle empty.
        QTest::newRow("cycle 30 of a long run") << 100000 << 40 << 40 << 30 << 80842 << 83559 - 80842;
    }

    void cut()
    {
        QFETCH(int, points);
        QFETCH(int, cycles);
        QFETCH(int, choices);
        QFETCH(int, cycle);
        const series rec = indexed_record(points);
        cycle_source src;
        src.ch1 = &rec;
        src.geometry = {0.4f, -0.3f, 0.0f, 736};  // replaced by the measured extremes
        src.cycles = uint16_t(cycles);
        src.cycle_choices = choices;
        src.cycle_index = cycle;
        const cycle_cut c = cut_cycle(src);
        QCOMPARE(c.range.e_max, 0.5f);
        QCOMPARE(c.range.e_min, -0.5f);
        QTEST(int(c.cycle.size()), "size");
        if (!c.cycle.empty())
            QTEST(int(c.cycle.values.front()), "first");
    }

    void cut_of_chosen_electrode()
    {
        const series ch1 = indexed_record(6000);
        series ch2 = ch1;
        for (double &v : ch2.values)
            v = -v;
        cycle_source src{&ch1, &ch2, {}, 3, 3, 1, 1};
        const cycle_cut c = cut_cycle(src);
        QCOMPARE(int(c.cycle.size()), 4755 - 2038);
        QCOMPARE(c.cycle.values.front(), -2038.0);
    }

    // Turning points off the step grid: every later cycle starts within a step of e_min and holds one sweep.
    void off_grid_triangles_data()
    {
        QTest::addColumn<double>("e_start");
        QTest::addColumn<double>("e_max");
        QTest::addColumn<double>("e_min");
        QTest::addColumn<int>("resolution");
        QTest::newRow("0.736 mV, start 0") << 0.0 << 0.5 << -0.5 << 736;
        QTest::newRow("0.736 mV, start at e_min") << -0.2 << 0.6 << -0.2 << 736;
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
        const series rec = triangle(e_start, e_max, e_min, step, 5 * 2 * sweep);
        for (int j = 1; j <= 3; ++j) {
            cycle_source src{&rec, nullptr, {float(e_max), float(e_min), float(e_start), uint16_t(resolution)}, 5, 5, j, 0};
            const cycle_cut cut = cut_cycle(src);
            const series &c = cut.cycle;
            // Each boundary may fall one point either side of the turn (the count is truncated).
            const double tolerance = 2.01 * step;
            QVERIFY2(std::abs(int(c.size()) - 2 * sweep) <= 2, qPrintable(QString::number(c.size())));
            QVERIFY(std::abs(c.keys.front() - cut.range.e_min) <= tolerance);
            QVERIFY(std::abs(c.keys.back() - cut.range.e_min) <= tolerance);
            QVERIFY(std::abs(c.keys[c.size() / 2] - cut.range.e_max) <= tolerance);
        }
    }

    void slider_ranges_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("a_enabled");  // -1: left as it is
        QTest::addColumn<int>("a_max");
        QTest::addColumn<int>("c_enabled");
        QTest::addColumn<int>("c_max");
        // Up from -0.5 V by 1/1024 V steps (exact in single precision) for 1000 points and back: anodic peak at 600,
        // cathodic minimum at 1600, 600 steps below the upper turning point.
        QTest::newRow("voltammogram") << 2001 << step_1024 << 1 << 600 << 1 << 600;
        QTest::newRow("no points") << 0 << step_1024 << 0 << 5 << 1 << 0;
        QTest::newRow("four points") << 4 << step_1024 << 0 << 5 << 1 << 0;
        QTest::newRow("zero first step") << 2001 << 0.0 << 1 << 600 << 0 << 5;
    }

    void slider_ranges()
    {
        QFETCH(int, points);
        QFETCH(double, step);
        series rec;
        for (int t = 0; t < points; ++t) {
            const int k = t <= 1000 ? t : 2000 - t;
            const double value = t == 600 ? 9.0 : t == 1600 ? -9.0 : 0.0;
            rec.append(t == 0 ? -0.5 : -0.5 + step + (k - 1) * step_1024, value);
        }
        const slider_setups s = setup_sliders(rec, {}, -0.5f, 0);
        QTEST(s.anodic.enabled ? int(*s.anodic.enabled) : -1, "a_enabled");
        QTEST(s.anodic.maximum, "a_max");
        QCOMPARE(s.anodic.value, s.anodic.maximum / 2);
        QTEST(s.cathodic.enabled ? int(*s.cathodic.enabled) : -1, "c_enabled");
        QTEST(s.cathodic.maximum, "c_max");
        QCOMPARE(s.cathodic.value, s.cathodic.maximum / 2);
    }

    void cathodic_minimum_before_turn_disables_the_pair()
    {
        series rec;  // sweeps up for 1500 points, so the second-half minimum at 1200 lies before the turn
        for (int t = 0; t < 2001; ++t)
            rec.append(t <= 1500 ? t * 0.001 : (3000 - t) * 0.001, t == 1200 ? -5.0 : 1.0);
        const slider_setups s = setup_sliders(rec, {}, 0.0f, 0);
        QCOMPARE(s.cathodic.enabled, std::optional<bool>(false));
        QCOMPARE(s.cathodic.maximum, 5);
        QCOMPARE(s.range.e_max, 1.5f);
    }
};

QTEST_GUILESS_MAIN(cycle_cut_test)
#include "cycle_cut_test.moc"
