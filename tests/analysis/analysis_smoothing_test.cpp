// Cut-off and order of the analysis smoothing, and what a smoothing pass hands back.
#include <QtTest>

#include "analysis/analysis_smoothing.h"
#include "grid_sweep.h"

using namespace analysis;

class analysis_smoothing_test : public QObject {
    Q_OBJECT
private slots:
    // Each boundary of the rate table belongs to the row below it: a rate is smoothed at the higher cut-off
    // only when it is above the boundary.
    void cutoff_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<float>("hz");
        QTest::newRow("1") << 1 << 0.5f;
        QTest::newRow("15 is not above 15") << 15 << 0.5f;
        QTest::newRow("16") << 16 << 1.0f;
        QTest::newRow("30 is not above 30") << 30 << 1.0f;
        QTest::newRow("31") << 31 << 2.0f;
        QTest::newRow("70 is not above 70") << 70 << 2.0f;
        QTest::newRow("71") << 71 << 5.0f;
        QTest::newRow("150 is not above 150") << 150 << 5.0f;
        QTest::newRow("151") << 151 << 10.0f;
    }

    void cutoff()
    {
        QFETCH(int, rate);
        QTEST(smoothing_cutoff_hz(uint16_t(rate), 1), "hz");
    }

    void order()
    {
        QCOMPARE(smoothing_order(4), 1);
        QCOMPARE(smoothing_order(5), 1);
        QCOMPARE(smoothing_order(2400), 500);
        QCOMPARE(smoothing_order(262144), 500);  // a quarter is 65536: capped before it could wrap in 16 bits
    }

    // A reopened analysis's step, from its potentials: -0.5 -> 0.8 -> -0.5 V read back from a file's six digits,
    // or reported on the instrument's 0.736 mV grid. Either lies a hair below the whole step.
    void step_of_reopened_cycle_data()
    {
        QTest::addColumn<double>("step_mV");
        QTest::addColumn<bool>("on_grid");
        QTest::addColumn<int>("want");
        QTest::newRow("5 mV, six digits") << 5.0 << false << 5;
        QTest::newRow("5 mV on the grid") << 5.0 << true << 5;
        QTest::newRow("0.736 mV counts as 1 mV") << grid_mV << true << 1;
    }
    void step_of_reopened_cycle()
    {
        QFETCH(double, step_mV);
        QFETCH(bool, on_grid);
        const long half = std::lround(1300 / step_mV);
        std::vector<double> keys = grid_sweep(-500, 800, -500, step_mV, 2 * half + 1, true);
        for (long q = 0; !on_grid && q <= 2 * half; ++q)
            keys[std::size_t(q)] = QString::number((-500 + step_mV * double(std::min(q, 2 * half - q))) / 1000, 'g', 6)
                                       .toDouble();
        QTEST(step_of_potentials(keys), "want");
    }

    // Skipped leaves nothing behind; smoothed keeps the keys and takes out a wiggle at the samples' own pace,
    // unless the cut-off is not below the samples' rate (rate / step): then the cycle comes back as it is.
    void outcome_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("smoothed");
        QTest::addColumn<bool>("as_is");
        QTest::newRow("rate 0") << 100 << 0 << 1 << false << false;
        QTest::newRow("four points") << 4 << 100 << 1 << false << false;
        QTest::newRow("five points") << 5 << 100 << 1 << true << false;
        QTest::newRow("2400 points") << 2400 << 151 << 1 << true << false;
        QTest::newRow("20 mV at 1000 mV/s: 50 of 50 Hz") << 400 << 1000 << 20 << true << true;
        QTest::newRow("25 mV at 100 mV/s: 5 of 4 Hz") << 400 << 100 << 25 << true << true;
    }

    void outcome()
    {
        QFETCH(int, points);
        QFETCH(int, rate);
        QFETCH(int, step);
        QFETCH(bool, as_is);
        series cycle;
        for (int t = 0; t < points; ++t)
            cycle.append(0.001 * t - 0.2, 3.0 - 0.01 * t + (t % 2 ? 0.5 : -0.5));
        const smoothing_outcome s = smooth_cycle(cycle, uint16_t(rate), step);
        QTEST(s.smoothed, "smoothed");
        QCOMPARE(s.curve.keys, s.smoothed ? cycle.keys : std::vector<double>{});
        if (s.smoothed)
            QCOMPARE(s.curve.values == cycle.values, as_is);
        const std::size_t mid = s.curve.size() / 2;  // away from the ends' padding
        if (s.smoothed && !as_is)
            QVERIFY(std::abs(s.curve.values[mid] - (3.0 - 0.01 * double(mid))) < 0.1);
    }
};

QTEST_GUILESS_MAIN(analysis_smoothing_test)
#include "analysis_smoothing_test.moc"
