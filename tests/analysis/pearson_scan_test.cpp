// The Pearson scan: its acceptance rule on given correlation sequences, and whole scans on built cycles.
#include <QtTest>

#include "analysis/pearson_scan.h"

#include <cmath>
#include <limits>

using namespace analysis;

namespace {
const float nan_r = std::numeric_limits<float>::quiet_NaN();
// The nearest floats either side of best - 0.0003.
const float at_margin = float(1.0 - 0.0003);
const float just_above_margin = std::nextafter(at_margin, 2.0f);
const float just_below_margin = std::nextafter(std::nextafter(at_margin, 0.0f), 0.0f);
}  // namespace

class pearson_scan_test : public QObject {
    Q_OBJECT
private slots:
    void acceptance_rule_data()
    {
        QTest::addColumn<QVector<float>>("r");
        QTest::addColumn<float>("threshold");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("dropped");
        QTest::addColumn<int>("best");
        QTest::addColumn<int>("anchor");
        // Window starts are 10 + position in the sequence.
        QTest::newRow("equal to the threshold is not accepted") << QVector<float>{0.95f, 0.5f} << 0.95f << false << false << 0 << 0;
        QTest::newRow("just above is") << QVector<float>{std::nextafter(0.95f, 1.0f)} << 0.95f << true << false << 10 << 10;
        QTest::newRow("anchor follows, then the drop ends the half")
            << QVector<float>{0.96f, 0.97f, 0.9698f, 0.98f, 0.9798f, 0.9f, 0.99f} << 0.95f << true << true << 13 << 15;
        QTest::newRow("a drop before any acceptance changes nothing")
            << QVector<float>{0.9f, 0.2f, 0.96f} << 0.95f << true << false << 12 << 12;
        QTest::newRow("above the best but not the threshold") << QVector<float>{0.5f, 0.6f} << 0.95f << false << false << 0 << 0;
        QTest::newRow("drop of the margin itself is no drop") << QVector<float>{1.0f, at_margin, just_above_margin} << 0.95f << true << false << 10 << 12;
        QTest::newRow("just past the margin is") << QVector<float>{1.0f, just_below_margin, 0.2f} << 0.95f << true << true << 10 << 11;
        QTest::newRow("undefined r before acceptance") << QVector<float>{nan_r, nan_r} << 0.9f << false << false << 0 << 0;
        QTest::newRow("undefined r after acceptance moves the anchor") << QVector<float>{0.97f, nan_r, nan_r} << 0.9f << true << false << 10 << 12;
    }

    void acceptance_rule()
    {
        QFETCH(QVector<float>, r);
        QFETCH(float, threshold);
        const correlation_scan s = scan_correlations(std::vector<float>(r.begin(), r.end()), 10, threshold);
        QTEST(s.accepted, "accepted");
        QTEST(s.dropped, "dropped");
        QTEST(int(s.best_index), "best");
        QTEST(int(s.anchor), "anchor");
    }

    void correlation_of_a_window()
    {
        const float x[4] = {0, 1, 2, 3}, up[4] = {1, 3, 5, 7}, down[4] = {7, 5, 3, 1}, flat[4] = {2, 2, 2, 2};
        QCOMPARE(window_correlation(x, up, 4), 1.0f);
        QCOMPARE(window_correlation(x, down, 4), -1.0f);
        QVERIFY(std::isnan(window_correlation(x, flat, 4)));
        QVERIFY(std::isnan(window_correlation(x, up, 1)));
        QCOMPARE(correlation_threshold(9500), 0.95f);
    }

    // A cycle of straight baselines with one Gaussian peak per half: the first window reaching into the rising
    // peak ends the anodic half; the lines run through the baselines' starts and end at the peaks.
    void scan_of_a_cycle()
    {
        series c;
        const double step = 1.0 / 1024;
        for (int t = 0; t < 2000; ++t) {
            const double key = t <= 1000 ? -0.5 + t * step : -0.5 + (2000 - t) * step;
            const double g = t <= 1000 ? 5 * std::exp(-0.5 * std::pow((t - 600) / 25.0, 2))
                                       : -4 * std::exp(-0.5 * std::pow((t - 1600) / 25.0, 2));
            c.append(key, (t <= 1000 ? 0.002 * t : 2.0 - 0.001 * (t - 1000)) + g);
        }
        pearson_input in;
        in.source.ch1 = &c;
        const pearson_result p = run_pearson(in);
        QVERIFY(p.found);
        QVERIFY(p.anodic_scan.anchor > 300 && p.anodic_scan.anchor < 600);
        QVERIFY(p.cathodic_scan.dropped && p.cathodic_scan.anchor > 1300 && p.cathodic_scan.anchor < 1600);
        QCOMPARE(p.anodic.size(), std::size_t(4));
        QCOMPARE(p.anodic.keys[3], c.keys[600]);
        QCOMPARE(p.cathodic.keys[3], c.keys[1600]);
        QCOMPARE(p.values.Epa, float(std::trunc(c.keys[600] * 1000 / 0.01) * 0.01));
        // The slope window reaches into the rising peak, so the baseline is only near the built one.
        QVERIFY(std::abs(p.values.Ipa - 5.0f) < 0.5f);
        QVERIFY(std::abs(p.values.Ipc + 4.0f) < 0.5f);
    }

    // Windows near the end are never read past the cycle; too short a cycle or too long a window finds nothing.
    void windows_stay_in_the_cycle_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("window");
        QTest::addColumn<bool>("found");
        QTest::newRow("window longer than the cycle") << 150 << 200 << false;
        QTest::newRow("window one short of the cycle") << 201 << 200 << false;
        QTest::newRow("window of one point") << 500 << 1 << false;
        QTest::newRow("second half runs to the end") << 700 << 200 << true;
    }

    void windows_stay_in_the_cycle()
    {
        QFETCH(int, points);
        QFETCH(int, window);
        series c;  // a line, then a bend at a third: windows over the bend correlate less
        for (int t = 0; t < points; ++t)
            c.append(t * 0.001, t < points / 3 ? t * 0.01 : points / 300.0 - (t - points / 3) * 0.02);
        pearson_input in;
        in.source.ch1 = &c;
        in.window = window;
        const pearson_result p = run_pearson(in);
        QTEST(p.found, "found");
        if (!p.found) {
            QVERIFY(p.anodic.empty() && p.cathodic.empty());
            QCOMPARE(p.values.Epa, 0.0f);
        }
    }

    // All currents positive: the cathodic extreme stays 0 at the first point.
    void positive_currents_keep_the_minimum_at_the_start()
    {
        series c;
        for (int t = 0; t < 1000; ++t)
            c.append(0.1 + t * 0.001, 1.0 + (t < 300 ? t * 0.01 : 3.0 - (t - 300) * 0.002));
        pearson_input in;
        in.source.ch1 = &c;
        const pearson_result p = run_pearson(in);
        QVERIFY(p.found);
        QCOMPARE(p.cathodic.keys[3], double(float(c.keys[0])));
        QCOMPARE(p.cathodic.values[3], 0.0);
        QCOMPARE(p.values.Epc, 100.0f);
    }
};

QTEST_GUILESS_MAIN(pearson_scan_test)
#include "pearson_scan_test.moc"
