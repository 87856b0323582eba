// Cut-off and order of the analysis smoothing, and what a smoothing pass hands back.
#include <QtTest>

#include "analysis/analysis_smoothing.h"

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
        QTEST(smoothing_cutoff_hz(uint16_t(rate)), "hz");
    }

    void order()
    {
        QCOMPARE(smoothing_order(4), 1);
        QCOMPARE(smoothing_order(5), 1);
        QCOMPARE(smoothing_order(2400), 500);
        QCOMPARE(smoothing_order(262144), 500);  // a quarter is 65536: capped before it could wrap in 16 bits
    }

    // Skipped leaves nothing behind; smoothed keeps the keys, and a straight line passes unchanged.
    void outcome_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("smoothed");
        QTest::newRow("rate 0") << 100 << 0 << false;
        QTest::newRow("four points") << 4 << 100 << false;
        QTest::newRow("five points") << 5 << 100 << true;
        QTest::newRow("2400 points") << 2400 << 151 << true;
    }

    void outcome()
    {
        QFETCH(int, points);
        QFETCH(int, rate);
        series cycle;
        for (int t = 0; t < points; ++t)
            cycle.append(0.001 * t - 0.2, 3.0 - 0.01 * t);
        const smoothing_outcome s = smooth_cycle(cycle, uint16_t(rate));
        QTEST(s.smoothed, "smoothed");
        QCOMPARE(s.curve.keys, s.smoothed ? cycle.keys : std::vector<double>{});
        for (std::size_t t = 0; t < s.curve.size(); ++t)
            QVERIFY(std::abs(s.curve.values[t] - cycle.values[t]) < 1e-9);
    }
};

QTEST_GUILESS_MAIN(analysis_smoothing_test)
#include "analysis_smoothing_test.moc"
