// Cut-off and order of the analysis smoothing, and what a smoothing pass hands back.
#include <QtTest>

#include "analysis/analysis_smoothing.h"

using namespace analysis;

class analysis_smoothing_test : public QObject {
    Q_OBJECT
private slots:
    void cutoff_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<float>("hz");
        QTest::newRow("1") << 1 << 0.5f;
        QTest::newRow("15 is not above 15") << 15 << 0.5f;
        QTest::newRow("16") << 16 << 1.0f;
        QTest::newRow("30") << 30 << 1.0f;
        QTest::newRow("31") << 31 << 2.0f;
        QTest::newRow("71") << 71 << 5.0f;
        QTest::newRow("100") << 100 << 5.0f;
        QTest::newRow("150 is not above 150") << 150 << 5.0f;
        QTest::newRow("151") << 151 << 10.0f;
        QTest::newRow("65535") << 65535 << 10.0f;
    }

    void cutoff()
    {
        QFETCH(int, rate);
        QTEST(smoothing_cutoff_hz(uint16_t(rate)), "hz");
    }

    void order_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("order");
        QTest::newRow("4") << 4 << 1;
        QTest::newRow("5") << 5 << 1;
        QTest::newRow("2000") << 2000 << 500;
        QTest::newRow("2400 capped") << 2400 << 500;
        QTest::newRow("262144: a quarter is 65536, capped before 16 bits") << 262144 << 500;
    }

    void order()
    {
        QFETCH(int, points);
        QTEST(smoothing_order(std::size_t(points)), "order");
    }

    void outcome_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("smoothed");
        QTest::newRow("rate 0") << 100 << 0 << false;
        QTest::newRow("four points") << 4 << 100 << false;
        QTest::newRow("five points") << 5 << 100 << true;
        QTest::newRow("2400 points") << 2400 << 100 << true;
    }

    // Smoothed or not, nothing of an earlier cycle survives; a straight line passes unchanged (unit gain, odd ends).
    void outcome()
    {
        QFETCH(int, points);
        QFETCH(int, rate);
        series cycle;
        for (int t = 0; t < points; ++t)
            cycle.append(0.001 * t - 0.2, 3.0 - 0.01 * t);
        const smoothing_outcome s = smooth_cycle(cycle, uint16_t(rate));
        QTEST(s.smoothed, "smoothed");
        if (!s.smoothed) {
            QVERIFY(s.curve.empty());
            return;
        }
        QCOMPARE(s.curve.keys, cycle.keys);
        QCOMPARE(s.curve.values.size(), cycle.values.size());
        for (int t = 0; t < points; ++t)
            QVERIFY2(std::abs(s.curve.values[t] - cycle.values[t]) < 1e-9, qPrintable(QString::number(t)));
    }

    // The smoothing removes what lies far above the cut-off: alternate points of a noisy line come out straight.
    void removes_fast_noise()
    {
        series cycle;
        for (int t = 0; t < 2000; ++t)
            cycle.append(0.001 * t, 1.0 + 0.002 * t + (t % 2 ? 0.5 : -0.5));
        const smoothing_outcome s = smooth_cycle(cycle, 100);
        QVERIFY(s.smoothed);
        for (int t = 600; t < 1400; ++t)  // beyond the filter's reach of the ends
            QVERIFY(std::abs(s.curve.values[t] - (1.0 + 0.002 * t)) < 1e-3);
    }
};

QTEST_GUILESS_MAIN(analysis_smoothing_test)
#include "analysis_smoothing_test.moc"
