// Automatic tangents of the "Peaks" method on cycles built from straight baselines and Gaussian peaks.
#include <QtTest>

#include "analysis/peaks_analysis.h"

#include <cmath>

using namespace analysis;

namespace {

constexpr double step = 1.0 / 4096;  // V per point, exact in single precision

double gauss(double t, double centre, double sigma) { return std::exp(-0.5 * std::pow((t - centre) / sigma, 2)); }

// 4000 points up from -0.25 V and back down. Anodic: 0.5 + 0.002 t + 5 G(1400); cathodic: -1 + 0.001 (t - 2000)
// - 4 G(3400); sigma 30 points. The filter reaches 500 points, so around the default anchors (700, 2700) the
// smoothed cycle is exactly the baselines.
series symmetric_cycle()
{
    series s;
    for (int t = 0; t < 4000; ++t) {
        const double key = t <= 2000 ? -0.25 + t * step : -0.25 + (4000 - t) * step;
        const double value = t <= 2000 ? 0.5 + 0.002 * t + 5 * gauss(t, 1400, 30)
                                       : -1.0 + 0.001 * (t - 2000) - 4 * gauss(t, 3400, 30);
        s.append(key, value);
    }
    return s;
}

// Cycle 0 of a run starting at 0 V: 1000 points up, 2000 down; the middle point is not the upper turn.
series asymmetric_cycle()
{
    series s;
    for (int t = 0; t <= 3000; ++t) {
        const double key = t <= 1000 ? t * step : (2000 - t) * step;
        s.append(key, t <= 1000 ? 0.3 + 0.004 * t + 6 * gauss(t, 700, 20) : 2.0 - 0.003 * (t - 1000) - 3 * gauss(t, 2600, 20));
    }
    return s;
}

peaks_input input_for(const series &cycle, const peak_sliders &sliders = {})
{
    peaks_input in;
    in.source.ch1 = &cycle;
    in.rate = 100;
    in.sliders = sliders;
    return in;
}

// Current change per point from the anchor to the line's point at the peak potential.
double drawn_slope(const tangent_line &line, long long anchor, long long peak)
{
    return (line.values[2] - line.values[1]) / double(peak - anchor);
}

bool all_finite(const tangent_line &line)
{
    for (std::size_t i = 0; i < line.size(); ++i)
        if (!std::isfinite(line.keys[i]) || !std::isfinite(line.values[i]))
            return false;
    return true;
}

}  // namespace

class peak_tangents_test : public QObject {
    Q_OBJECT
private slots:
    void window_size_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("window");
        QTest::newRow("1000 -> 4 -> 2") << 1000 << 2;
        QTest::newRow("1250") << 1250 << 5;
        QTest::newRow("2400") << 2400 << 9;
        QTest::newRow("64000 wraps to 0 -> 2") << 64000 << 2;
        QTest::newRow("65535") << 65535 << 6;
    }

    void window_size()
    {
        QFETCH(int, points);
        QTEST(tangent_window(std::size_t(points)), "window");
    }

    void gaussian_peaks_over_baselines()
    {
        const series cycle = symmetric_cycle();
        const peaks_analysis p = run_peaks(input_for(cycle));
        QCOMPARE(p.sliders.anodic.maximum, 1400);
        QCOMPARE(p.sliders.anodic.value, 700);
        QCOMPARE(p.sliders.cathodic.maximum, 1400);
        QCOMPARE(p.sliders.cathodic.value, 700);
        QCOMPARE(p.values.Epa, 91.79f);    // 0.091796875 V
        QCOMPARE(p.values.Epc, -103.51f);  // -0.103515625 V, cut toward zero
        QVERIFY(std::abs(p.values.Ipa - 5.0f) < 1e-4f);
        QVERIFY(std::abs(p.values.Ipc + 4.0f) < 1e-4f);
        QCOMPARE(p.record.Ipa, p.values.Ipa);
        QVERIFY(std::abs(p.record.anodic_raw_slope - 0.002f) < 1e-6f);
        // Lines end where they meet the first point's potential (anodic) and the upper potential (cathodic).
        QVERIFY(std::abs(p.anodic.keys[0] + 0.25) < 1e-4 && std::abs(p.anodic.values[0] - 0.5) < 1e-3);
        QVERIFY(std::abs(p.cathodic.keys[0] - cycle.keys[2000]) < 1e-4 && std::abs(p.cathodic.values[0] + 1.0) < 1e-3);
        QCOMPARE(float(p.anodic.values[3]), float(cycle.values[1400]));
    }

    void slider_ranges_kept_or_reset_data()
    {
        QTest::addColumn<int>("max_before");
        QTest::addColumn<int>("value_before");
        QTest::addColumn<int>("value_after");
        QTest::addColumn<int>("tangent_after");
        QTest::newRow("new maximum: middle, rotation reset") << 900 << 300 << 700 << 0;
        QTest::newRow("same maximum: kept") << 1400 << 300 << 300 << 7;
    }

    void slider_ranges_kept_or_reset()
    {
        QFETCH(int, max_before);
        QFETCH(int, value_before);
        const series cycle = symmetric_cycle();
        peak_sliders s;
        s.anodic = {value_before, max_before, true};
        s.tangent = 7;
        const peaks_analysis p = run_peaks(input_for(cycle, s));
        QTEST(p.sliders.anodic.value, "value_after");
        QTEST(p.sliders.tangent, "tangent_after");
        QCOMPARE(int(p.record.current_anodic), p.sliders.anodic.value);
        QCOMPARE(p.record.current_tangent, int16_t(0));  // drawn at the base slope
    }

    // Rotation 0 redraws the measured window slope, also where the middle point is not the upper turn.
    void rotation_zero_is_the_measured_slope_data()
    {
        QTest::addColumn<bool>("asymmetric");
        QTest::newRow("symmetric") << false;
        QTest::newRow("asymmetric") << true;
    }

    void rotation_zero_is_the_measured_slope()
    {
        QFETCH(bool, asymmetric);
        const series cycle = asymmetric ? asymmetric_cycle() : symmetric_cycle();
        const peaks_analysis p = run_peaks(input_for(cycle));
        const analysis_result &r = p.record;
        const long long half = (long long)cycle.size() / 2;
        const double a = drawn_slope(p.anodic, r.current_anodic, r.anodic_peak_index);
        const double c = drawn_slope(p.cathodic, half + r.current_cathodic, r.cathodic_peak_index);
        QVERIFY2(std::abs(a / r.anodic_raw_slope - 1) < 1e-5, qPrintable(QString::number(a / r.anodic_raw_slope)));
        QVERIFY2(std::abs(c / r.cathodic_raw_slope - 1) < 1e-5, qPrintable(QString::number(c / r.cathodic_raw_slope)));

        // Ten degrees turn the anodic line up and the cathodic one down by ten degrees in the normalised frame.
        const float d = first_step(cycle, {});
        const tangent_line up = anodic_tangent(cycle, r, d, 10, true);
        const tangent_line down = cathodic_tangent(cycle, r, d, p.cut.range.e_max, 10, true);
        const double turn_a = std::atan(drawn_slope(up, r.current_anodic, r.anodic_peak_index) / r.anodic_slope_scale)
                              - std::atan(r.anodic_slope);
        const double turn_c = std::atan(drawn_slope(down, half + r.current_cathodic, r.cathodic_peak_index)
                                        / r.cathodic_slope_scale)
                              - std::atan(r.cathodic_slope);
        QVERIFY(std::abs(turn_a - 10 * M_PI / 180) < 1e-5);
        QVERIFY(std::abs(turn_c + 10 * M_PI / 180) < 1e-5);
    }

    // Anchors at their maxima sit on the peaks themselves; flat currents give no range to normalise by.
    void degenerate_tangents_stay_finite_data()
    {
        QTest::addColumn<bool>("flat");
        QTest::newRow("sliders at their maxima") << false;
        QTest::newRow("zero current range") << true;
    }

    void degenerate_tangents_stay_finite()
    {
        QFETCH(bool, flat);
        series cycle = symmetric_cycle();
        peak_sliders s;
        s.anodic = {1400, 1400, true};
        s.cathodic = {1400, 1400, true};
        if (flat)
            std::fill(cycle.values.begin(), cycle.values.end(), 0.0);
        const peaks_analysis p = run_peaks(input_for(cycle, s));
        QCOMPARE(p.anodic.size(), std::size_t(4));
        QCOMPARE(p.cathodic.size(), std::size_t(4));
        QVERIFY(all_finite(p.anodic) && all_finite(p.cathodic));
        QVERIFY(std::isfinite(p.record.anodic_slope) && std::isfinite(p.record.cathodic_slope));
        QCOMPARE(p.values.Ipa, 0.0f);
        QCOMPARE(p.values.Ipc, 0.0f);
        for (int v : {-30, 30}) {
            const float d = first_step(cycle, {});
            QVERIFY(all_finite(anodic_tangent(cycle, p.record, d, v, true)));
            QVERIFY(all_finite(cathodic_tangent(cycle, p.record, d, p.cut.range.e_max, v, true)));
        }
    }

    // No stale lines: a disabled slider or a cycle too short for tangents leaves the line empty and its values 0.
    void empty_tangents()
    {
        const series cycle = symmetric_cycle();
        peak_sliders s;
        s.anodic.enabled = false;
        const peaks_analysis p = run_peaks(input_for(cycle, s));
        QVERIFY(p.anodic.empty());
        QCOMPARE(p.cathodic.size(), std::size_t(4));
        QCOMPARE(p.values.Epa, 0.0f);
        QCOMPARE(p.values.Ipa, 0.0f);

        series tiny;
        for (int t = 0; t < 4; ++t)
            tiny.append(t * step, t);
        const peaks_analysis q = run_peaks(input_for(tiny));
        QVERIFY(q.anodic.empty() && q.cathodic.empty());
        QVERIFY(!q.smoothing.smoothed);
    }
};

QTEST_GUILESS_MAIN(peak_tangents_test)
#include "peak_tangents_test.moc"
