// The "Peaks" analysis against electrochemistry: a reversible one-electron couple at 25 °C scanned at 100 mV/s,
// simulated by semi-integral convolution (equal diffusion coefficients, planar diffusion, Nernstian surface),
// handed over as a two-cycle record and analysed on its second cycle.
#include <QtTest>

#include "analysis/peaks_analysis.h"
#include "grid_sweep.h"
#include "instrument/method_parameters.h"

#include <algorithm>
#include <cmath>

using namespace analysis;

namespace {

constexpr double formal_potential = 0.2;  // V
constexpr double e_low = -0.1, e_high = 0.5;
constexpr double rate_v_per_s = 0.1;
constexpr double f_25c = 96485.33212 / (8.314462618 * 298.15);  // F / RT, 1/V
constexpr double current_scale = 11.36;  // µA s^1/2: a forward peak near 10 µA

// A reversible oxidation R -> O + e starting with R only. With equal diffusion coefficients the semi-integral of
// the current follows the surface fraction of O: M(t) = K / (1 + exp(-f (E - E0'))). The current is its
// semi-derivative, here by the Grünwald sum i(t_N) = dt^-1/2 sum_j w_j M(t_{N-j}), w_0 = 1, w_j = w_{j-1} (j - 1.5) / j.
// The potential moves by the instrument's 0.736 mV step from e_low, turning before it would pass an end.
series reversible_voltammogram(int cycles)
{
    const double step = 0.000736;
    const double dt = step / rate_v_per_s;
    std::vector<double> e, m;
    double pot = e_low, dir = 1;
    const int sweep = int((e_high - e_low) / step + 1e-9);
    for (int t = 0; t < cycles * 2 * sweep; ++t) {
        e.push_back(pot);
        m.push_back(current_scale / (1 + std::exp(-f_25c * (pot - formal_potential))));
        if (pot + dir * step > e_high + 1e-9 || pot + dir * step < e_low - 1e-9)
            dir = -dir;
        pot += dir * step;
    }
    std::vector<double> w(e.size());
    w[0] = 1;
    for (std::size_t j = 1; j < w.size(); ++j)
        w[j] = w[j - 1] * (double(j) - 1.5) / double(j);
    series s;
    for (std::size_t n = 0; n < e.size(); ++n) {
        double sum = 0;
        for (std::size_t j = 0; j <= n; ++j)
            sum += w[j] * m[n - j];
        s.append(e[n], sum / std::sqrt(dt));
    }
    return s;
}

}  // namespace

class peaks_analysis_test : public QObject {
    Q_OBJECT
private slots:
    void reversible_couple()
    {
        const series we1 = reversible_voltammogram(2);
        // The model itself: the first forward peak is 0.4463 K sqrt(f v) (Randles-Sevcik) at E0' + 28.5 mV.
        const auto first = std::max_element(we1.values.begin(), we1.values.begin() + 815);
        QVERIFY(std::abs(*first / (0.4463 * current_scale * std::sqrt(f_25c * rate_v_per_s)) - 1) < 0.01);
        QVERIFY(std::abs(we1.keys[std::size_t(first - we1.values.begin())] - formal_potential - 0.0285) < 0.0015);

        peaks_input in;
        in.source.ch1 = &we1;
        in.source.geometry = {float(e_high), float(e_low), float(e_low), 736};
        in.source.cycles = 2;
        in.source.cycle_choices = 2;
        in.source.cycle_index = 1;
        in.rate = 100;
        in.sliders.anodic.maximum = in.sliders.cathodic.maximum = -1;  // a new analysis: ranges set from the cycle
        const peaks_analysis p = run_peaks(in);

        QVERIFY(p.smoothing.smoothed);
        QVERIFY(std::abs(int(p.cut.cycle.size()) - 1630) <= 2);
        const double separation = p.values.Epa - p.values.Epc;
        const double middle = (p.values.Epa + p.values.Epc) / 2;
        qInfo("Epa %.2f mV, Epc %.2f mV, separation %.2f mV, mid-peak %.2f mV", p.values.Epa, p.values.Epc,
              separation, middle);
        qInfo("Ipa %.4f uA, Ipc %.4f uA, |Ipa / Ipc| %.4f", p.values.Ipa, p.values.Ipc,
              std::abs(p.values.Ipa / p.values.Ipc));
        QVERIFY2(separation >= 55 && separation <= 65, qPrintable(QString::number(separation)));
        QVERIFY2(std::abs(middle - formal_potential * 1000) <= 3, qPrintable(QString::number(middle)));
        QVERIFY(p.values.Ipa > 0 && p.values.Ipc < 0);
    }

    // Two Gaussian peaks of 8 µA (anodic at 0.2 V, cathodic at 0.1 V, 50 mV wide) on a sloping baseline with a
    // charging offset, one cycle -0.5 -> 0.8 -> -0.5 V on the 0.736 mV grid: the tangents at the default anchors
    // must give back 8 µA at every step, the cycle smoothed at the rate its samples come (rate / step).
    void gaussian_couple_at_every_step_data()
    {
        QTest::addColumn<double>("step_mV");
        QTest::addColumn<int>("rate");
        QTest::newRow("0.736 mV") << grid_mV << 100;
        QTest::newRow("5 mV") << 5.0 << 100;
        QTest::newRow("10 mV at 400 mV/s") << 10.0 << 400;
        QTest::newRow("5 mV at 1000 mV/s: above the ladder's top") << 5.0 << 1000;
        QTest::newRow("20 mV: the cut-off reaches the samples' rate") << 20.0 << 100;
        QTest::newRow("25 mV: the cut-off above the samples' rate") << 25.0 << 100;
    }
    void gaussian_couple_at_every_step()
    {
        QFETCH(double, step_mV);
        QFETCH(int, rate);
        const long half = std::lround(1300 / step_mV);
        series cycle;
        for (const double e : grid_sweep(-500, 800, -500, step_mV, 2 * half + 1)) {
            const double up = cycle.size() < std::size_t(half) ? 1 : -1, centre = up > 0 ? 0.2 : 0.1;
            cycle.append(e, 2.0 * e + up * (1.5 + 8 * std::exp(-0.5 * std::pow((e - centre) / 0.05, 2))));
        }
        peaks_input in;
        in.source.ch1 = &cycle;
        in.source.geometry = {0.8f, -0.5f, -0.5f, uint16_t(step_mV == grid_mV ? step_736_uV : int(step_mV))};
        in.rate = uint16_t(rate);
        in.sliders.anodic.maximum = in.sliders.cathodic.maximum = -1;
        const peaks_analysis p = run_peaks(in);
        QVERIFY2(std::abs(p.values.Ipa / 8 - 1) < 0.01, qPrintable(QString::number(p.values.Ipa)));
        QVERIFY2(std::abs(p.values.Ipc / -8 - 1) < 0.01, qPrintable(QString::number(p.values.Ipc)));
    }
};

QTEST_GUILESS_MAIN(peaks_analysis_test)
#include "peaks_analysis_test.moc"
