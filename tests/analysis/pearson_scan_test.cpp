// The Pearson scan: its acceptance rule on given correlation sequences, and whole scans on built cycles.
#include <QtTest>

#include "analysis/pearson_scan.h"

#include <cmath>
#include <limits>

using namespace analysis;

namespace {
const float undefined = std::numeric_limits<float>::quiet_NaN();
const float at_margin = float(1.0 - 0.0003);  // the float nearest best - 0.0003 for best 1, just above it
const float past_margin = std::nextafter(at_margin, 0.0f);

// Straight baselines with a Gaussian peak per half (2000 points, 1/1024 V steps, peaks at 600 and 1600).
series built_cycle()
{
    series c;
    for (int t = 0; t < 2000; ++t) {
        const bool up = t <= 1000;
        const double g = std::exp(-0.5 * std::pow((t - (up ? 600 : 1600)) / 25.0, 2));
        c.append(-0.5 + (up ? t : 2000 - t) / 1024.0, up ? 0.002 * t + 5 * g : 2.0 - 0.001 * (t - 1000) - 4 * g);
    }
    return c;
}
}  // namespace

class pearson_scan_test : public QObject {
    Q_OBJECT
private slots:
    void acceptance_rule_data()
    {
        QTest::addColumn<QVector<float>>("r");
        QTest::addColumn<bool>("dropped");
        QTest::addColumn<int>("best");    // window start of the best r, 10 + position; 0 when none was accepted
        QTest::addColumn<int>("anchor");
        QTest::newRow("equal to the threshold: not accepted") << QVector<float>{0.95f, 0.5f} << false << 0 << 0;
        QTest::newRow("just above: accepted") << QVector<float>{std::nextafter(0.95f, 1.0f)} << false << 10 << 10;
        QTest::newRow("anchor follows until the drop")
            << QVector<float>{0.96f, 0.97f, 0.9698f, 0.98f, 0.9798f, 0.9f, 0.99f} << true << 13 << 15;
        QTest::newRow("drop before acceptance") << QVector<float>{0.9f, 0.2f, 0.96f} << false << 12 << 12;
        QTest::newRow("margin itself is no drop") << QVector<float>{1.0f, at_margin, 0.5f} << true << 10 << 12;
        QTest::newRow("just past the margin is") << QVector<float>{1.0f, past_margin} << true << 10 << 11;
        QTest::newRow("undefined before acceptance") << QVector<float>{undefined, undefined} << false << 0 << 0;
        QTest::newRow("undefined after acceptance") << QVector<float>{0.97f, undefined} << false << 10 << 11;
    }

    void acceptance_rule()
    {
        QFETCH(QVector<float>, r);
        const correlation_scan s = scan_correlations(std::vector<float>(r.begin(), r.end()), 10, correlation_threshold(9500));
        QTEST(s.dropped, "dropped");
        QTEST(int(s.best_index), "best");
        QTEST(int(s.anchor), "anchor");
    }

    // The first windows reaching into a rising peak end each half; the lines end at the peaks.
    void scan_of_a_cycle()
    {
        const series c = built_cycle();
        pearson_input in;
        in.source.ch1 = &c;
        const pearson_result p = run_pearson(in);
        QVERIFY(p.found && p.cathodic_scan.dropped);
        QVERIFY(p.anodic_scan.anchor > 300 && p.anodic_scan.anchor < 600);
        QVERIFY(p.cathodic_scan.anchor > 1300 && p.cathodic_scan.anchor < 1600);
        QCOMPARE(p.cathodic.keys[3], c.keys[1600]);
        QCOMPARE(p.values.Epa, 85.93f);  // -0.5 + 600 / 1024 V = 0.0859375 V
        // The slope window reaches into the rising peak, so the baseline is only near the built one.
        QVERIFY(std::abs(p.values.Ipa - 5.0f) < 0.5f && std::abs(p.values.Ipc + 4.0f) < 0.5f);
    }

    // No window reads past the cycle's end; a window of the whole cycle or of one point finds nothing.
    void windows_stay_in_the_cycle_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("window");
        QTest::addColumn<bool>("found");
        // A second half of zigzag currents up to the last window that fits, then straight: only that window
        // (start n - W) is accepted.
        QTest::addColumn<bool>("straight_tail");
        QTest::newRow("window longer than the cycle") << 1500 << 1501 << false << false;
        QTest::newRow("window of one point") << 2000 << 1 << false << false;
        QTest::newRow("second half runs to the end") << 2000 << 200 << true << false;
        QTest::newRow("long window near the end") << 2000 << 990 << false << false;
        QTest::newRow("last window that fits") << 2000 << 200 << true << true;
    }

    void windows_stay_in_the_cycle()
    {
        QFETCH(int, points);
        QFETCH(int, window);
        QFETCH(bool, straight_tail);
        series c = built_cycle();
        c.keys.resize(std::size_t(points));
        c.values.resize(std::size_t(points));
        const std::size_t last_start = std::size_t(points - window);
        if (straight_tail)
            for (std::size_t t = std::size_t(points / 2); t < last_start; ++t)
                c.values[t] = t % 2 ? 3.0 : -3.0;
        pearson_input in;
        in.source.ch1 = &c;
        in.window = window;
        const pearson_result p = run_pearson(in);
        QTEST(p.found, "found");
        QCOMPARE(p.anodic.empty(), !p.found);
        if (straight_tail) {
            QVERIFY(p.cathodic_scan.accepted);
            QCOMPARE(p.cathodic_scan.best_index, last_start);
        }
    }
};

QTEST_GUILESS_MAIN(pearson_scan_test)
#include "pearson_scan_test.moc"
