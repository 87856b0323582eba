// Automatic tangents of the "Peaks" method on cycles built from straight baselines and Gaussian peaks.
#include <QtTest>

#include "analysis/peaks_analysis.h"
#include "grid_sweep.h"

#include <algorithm>
#include <cmath>

using namespace analysis;

namespace {

constexpr double step = 1.0 / 4096;  // V per point, exact in single precision

double gauss(double t, double centre) { return std::exp(-0.5 * std::pow((t - centre) / 25, 2)); }

// Symmetric: 4000 points up from -0.25 V and back; anodic 0.5 + 0.002 t + 5 G(1400), cathodic -1 + 0.001 (t - 2000)
// - 4 G(3400). The filter reaches 500 points, so at the default anchors (700, 2700) the smoothed cycle is the
// baselines. Asymmetric: cycle 0 of a run from 0 V, 1000 points up and 2000 down, so the middle is not the turn.
series cycle_of(bool asymmetric)
{
    series s;
    for (int t = 0; t <= (asymmetric ? 3000 : 3999); ++t) {
        if (asymmetric)
            s.append((t <= 1000 ? t : 2000 - t) * step,
                     t <= 1000 ? 0.3 + 0.004 * t + 6 * gauss(t, 700) : 2.0 - 0.003 * (t - 1000) - 3 * gauss(t, 2600));
        else
            s.append(-0.25 + (t <= 2000 ? t : 4000 - t) * step,
                     t <= 2000 ? 0.5 + 0.002 * t + 5 * gauss(t, 1400) : -1.0 + 0.001 * (t - 2000) - 4 * gauss(t, 3400));
    }
    return s;
}

peaks_analysis analyse(const series &cycle, const peak_sliders &sliders = {})
{
    peaks_input in;
    in.source.ch1 = &cycle;
    in.rate = 100;
    in.sliders = sliders;
    return run_peaks(in);
}

// Current change per point from the anchor to the line's point at the peak potential.
double drawn_slope(const tangent_line &line, long long anchor, long long peak)
{
    return (line.values[2] - line.values[1]) / double(peak - anchor);
}

// Current change per volt from the anchor (second point) to the line's point at the peak potential (third).
double drawn_dI_dE(const tangent_line &line) { return (line.values[2] - line.values[1]) / (line.keys[2] - line.keys[1]); }

// Potential change per point the slope windows at `anchor` see: mean of the w keys from it minus that of the w before.
double window_step(const std::vector<double> &keys, std::size_t anchor, std::size_t w)
{
    double front = 0, back = 0;
    for (std::size_t i = anchor; i < anchor + w; ++i) {
        front += keys[i];
        back += keys[i - w];
    }
    return (front - back) / double(w * w);
}

bool finite_line(const tangent_line &line)
{
    bool ok = line.size() == 4;
    for (std::size_t i = 0; i < line.size(); ++i)
        ok = ok && std::isfinite(line.keys[i]) && std::isfinite(line.values[i]);
    return ok;
}

}  // namespace

class peak_tangents_test : public QObject {
    Q_OBJECT
private slots:
    void window_size()
    {
        QCOMPARE(tangent_window(1000), 2);
        QCOMPARE(tangent_window(2400), 9);
        QCOMPARE(tangent_window(64000), 2);  // 256 held in 8 bits
    }

    void gaussian_peaks_over_baselines()
    {
        const series cycle = cycle_of(false);
        const peaks_analysis p = analyse(cycle);
        QCOMPARE(p.sliders.anodic.value, 700);
        QCOMPARE(p.sliders.cathodic.value, 700);
        QCOMPARE(p.values.Epa, 91.79f);    // 0.091796875 V
        QCOMPARE(p.values.Epc, -103.51f);  // -0.103515625 V, cut toward zero
        QVERIFY(std::abs(p.values.Ipa - 5.0f) < 1e-4f);
        QVERIFY(std::abs(p.values.Ipc + 4.0f) < 1e-4f);
        QCOMPARE(p.record.Ipc, p.values.Ipc);
        // The lines end at the first point's potential (anodic) and at the upper potential (cathodic).
        QVERIFY(std::abs(p.anodic.keys[0] + 0.25) < 1e-4 && std::abs(p.anodic.values[0] - 0.5) < 1e-3);
        QVERIFY(std::abs(p.cathodic.keys[0] - cycle.keys[2000]) < 1e-4 && std::abs(p.cathodic.values[0] + 1) < 1e-3);
    }

    // Rotation 0 redraws the measured window slope, also where the middle point is not the upper turn;
    // ten degrees turn the normalised anodic line up and the cathodic one down.
    void rotation_data()
    {
        QTest::addColumn<bool>("asymmetric");
        QTest::newRow("symmetric") << false;
        QTest::newRow("asymmetric") << true;
    }

    void rotation()
    {
        QFETCH(bool, asymmetric);
        const series cycle = cycle_of(asymmetric);
        const peaks_analysis p = analyse(cycle);
        const analysis_result &r = p.record;
        const long long a = r.current_anodic, c = (long long)cycle.size() / 2 + r.current_cathodic;
        QVERIFY(std::abs(drawn_slope(p.anodic, a, r.anodic_peak_index) / r.anodic_raw_slope - 1) < 1e-5);
        QVERIFY(std::abs(drawn_slope(p.cathodic, c, r.cathodic_peak_index) / r.cathodic_raw_slope - 1) < 1e-5);

        const float d = first_step(cycle, {});
        const tangent_line up = anodic_tangent(cycle, r, d, 10, true);
        const tangent_line down = cathodic_tangent(cycle, r, d, p.cut.range.e_max, 10, true);
        const double scale = tangent_volt_scale(cycle, r);
        const double turn_a = std::atan(drawn_dI_dE(up) / scale) - std::atan(r.anodic_slope);
        const double turn_c = std::atan(drawn_dI_dE(down) / scale) - std::atan(r.cathodic_slope);
        QVERIFY(std::abs(turn_a - 10 * M_PI / 180) < 1e-5);
        QVERIFY(std::abs(turn_c + 10 * M_PI / 180) < 1e-5);

        // Reopened from its file (the turned lines and the slider positions), it turns back to the measured slopes.
        analysis_result opened;
        opened.current_anodic = r.current_anodic;
        opened.current_cathodic = r.current_cathodic;
        opened.current_tangent = 10;
        opened.current_cathodic_2 = -10;
        const analysis_result back = restore_tangent_state(cycle, up, down, opened);
        QCOMPARE(back.cathodic_peak_index, r.cathodic_peak_index);
        const tangent_line up_0 = anodic_tangent(cycle, back, d, 0, true);
        const tangent_line down_0 = cathodic_tangent(cycle, back, d, p.cut.range.e_max, 0, true);
        QVERIFY(std::abs(drawn_dI_dE(up_0) / drawn_dI_dE(p.anodic) - 1) < 1e-5);
        QVERIFY(std::abs(drawn_dI_dE(down_0) / drawn_dI_dE(p.cathodic) - 1) < 1e-5);
        QCOMPARE(up_0.keys[2], p.anodic.keys[2]);
    }

    // On the instrument's grid the steps between anchor and peak do not average to those inside the windows; the
    // line at rotation 0 still has the dI/dE the windows measured. The cycles run -400 -> 600 -> -400 mV, the last
    // one from 0 V up, so that its middle point is not the turn.
    void measured_slope_on_the_grid_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("points");
        QTest::newRow("1 mV") << 1.0 << -400.0 << 2000;
        QTest::newRow("2 mV") << 2.0 << -400.0 << 1000;
        QTest::newRow("5 mV") << 5.0 << -400.0 << 400;
        QTest::newRow("0.736 mV") << grid_mV << -400.0 << 2716;
        QTest::newRow("1 mV, first cycle from 0 V") << 1.0 << 0.0 << 1600;
    }

    void measured_slope_on_the_grid()
    {
        QFETCH(double, step);
        QFETCH(double, start);
        QFETCH(int, points);
        const std::vector<double> keys = grid_sweep(start, 600, -400, step, points);
        const std::size_t top = std::size_t(std::max_element(keys.begin(), keys.end()) - keys.begin());
        const auto bell = [](double x) { return std::exp(-0.5 * std::pow(x / 0.05, 2)); };
        series cycle;
        for (std::size_t t = 0; t < keys.size(); ++t) {
            const double e = keys[t];
            cycle.append(e, t <= top ? 2 + 5 * e + 6 * bell(e - 0.15) : -2 + 3 * e - 5 * bell(e + 0.05));
        }
        const peaks_analysis p = analyse(cycle);
        const analysis_result &r = p.record;
        const std::size_t w = std::size_t(tangent_window(cycle.size()));
        const double anodic = r.anodic_raw_slope / window_step(cycle.keys, r.current_anodic, w);
        const double cathodic = r.cathodic_raw_slope / window_step(cycle.keys, cycle.size() / 2 + r.current_cathodic, w);
        const QByteArray told = QByteArray::number(drawn_dI_dE(p.anodic)) + " / " + QByteArray::number(anodic) + ", " +
                                QByteArray::number(drawn_dI_dE(p.cathodic)) + " / " + QByteArray::number(cathodic);
        QVERIFY2(std::abs(drawn_dI_dE(p.anodic) / anodic - 1) < 1e-4, told);
        QVERIFY2(std::abs(drawn_dI_dE(p.cathodic) / cathodic - 1) < 1e-4, told);
    }

    // Anchors at their maxima sit on the peaks; flat currents leave no range to normalise by. Neither gives NaN.
    void degenerate_tangents_stay_finite_data()
    {
        QTest::addColumn<bool>("flat");
        QTest::newRow("sliders at their maxima") << false;
        QTest::newRow("zero current range") << true;
    }

    void degenerate_tangents_stay_finite()
    {
        QFETCH(bool, flat);
        series cycle = cycle_of(false);
        if (flat)
            std::fill(cycle.values.begin(), cycle.values.end(), 0.0);
        peak_sliders s;
        s.anodic = s.cathodic = {1400, 1400, true};
        const peaks_analysis p = analyse(cycle, s);
        QVERIFY(finite_line(p.anodic) && finite_line(p.cathodic));
        QCOMPARE(p.values.Ipa, 0.0f);
        QCOMPARE(p.values.Ipc, 0.0f);
        const float d = first_step(cycle, {});
        QVERIFY(finite_line(anodic_tangent(cycle, p.record, d, 30, true)));
        QVERIFY(finite_line(cathodic_tangent(cycle, p.record, d, p.cut.range.e_max, -30, true)));
    }

    // The tangent is anchored where the slider stands once its new range is set: a middle below the slider's
    // minimum of 5 is raised to it, and a maximum below 5 lowers the minimum and holds the value. The range comes
    // from the cycle alone: a slider left at [3, 3] by an earlier cycle goes back to the minimum of 5, and so does
    // one left at [3, 7] with the maximum this cycle gives it too.
    void anchor_where_the_slider_stands_data()
    {
        QTest::addColumn<int>("earlier");
        QTest::addColumn<int>("earlier_minimum");
        QTest::addColumn<int>("peak");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("minimum");
        QTest::newRow("middle above the minimum") << 100 << 5 << 30 << 15 << 5;
        QTest::newRow("middle below the minimum") << 100 << 5 << 7 << 5 << 5;
        QTest::newRow("maximum below the minimum") << 100 << 5 << 3 << 3 << 3;
        QTest::newRow("after a cycle whose peak lay at 3") << 3 << 3 << 7 << 5 << 5;
        QTest::newRow("same maximum, minimum left at 3") << 7 << 3 << 7 << 5 << 5;
    }

    void anchor_where_the_slider_stands()
    {
        QFETCH(int, peak);
        series cycle;
        for (int t = 0; t < 80; ++t) {
            const double bump = t < 40 ? 5 * std::exp(-0.5 * std::pow(t - peak, 2))
                                       : -5 * std::exp(-0.5 * std::pow(t - 60, 2));
            cycle.append((t < 40 ? t : 80 - t) * step, 0.01 * t + bump);
        }
        QFETCH(int, earlier);
        QFETCH(int, earlier_minimum);
        peak_sliders s;
        // The sliders as earlier cycles left them: the maximum at the last one's peak, the minimum at `earlier_minimum`.
        s.anodic = s.cathodic = {earlier / 2, earlier, true, earlier_minimum};
        const peaks_analysis p = analyse(cycle, s);
        QCOMPARE(p.sliders.anodic.maximum, peak);
        QTEST(p.sliders.anodic.value, "value");
        QTEST(p.sliders.anodic.minimum, "minimum");
        QTEST(int(p.record.current_anodic), "value");
        QFETCH(int, value);
        QCOMPARE(p.anodic.keys[1], cycle.keys[std::size_t(value)]);
        QCOMPARE(p.anodic.values[1], double(float(cycle.values[std::size_t(value)])));
    }

    // No stale lines: a disabled slider, or a cycle too short for tangents, gives an empty line and values 0.
    void empty_tangents()
    {
        peak_sliders s;
        s.anodic.enabled = false;
        const peaks_analysis p = analyse(cycle_of(false), s);
        QVERIFY(p.anodic.empty() && p.cathodic.size() == 4);
        QCOMPARE(p.values.Epa, 0.0f);
        series tiny;
        for (int t = 0; t < 4; ++t)
            tiny.append(t * step, t);
        const peaks_analysis q = analyse(tiny);
        QVERIFY(q.anodic.empty() && q.cathodic.empty() && !q.smoothing.smoothed);
    }
};

QTEST_GUILESS_MAIN(peak_tangents_test)
#include "peak_tangents_test.moc"
