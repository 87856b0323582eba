// FIR design, single pass and zero-phase filtering against hand-worked values and a reference written from the
// definitions; the incremental tail filter against filtering the whole series again.
#include "filtering/fir_filter.h"
#include "filtering/growing_filtfilt.h"

#include <QtTest>

#include <cmath>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>

namespace {

const double pi = 3.141592653589793;

std::vector<double> taps(uint16_t order, float wn)
{
    return arma::conv_to<std::vector<double>>::from(fir_filter::fir1(order, wn));
}

// Largest difference relative to the largest magnitude of the expected series.
double relative_error(const std::vector<double> &got, const std::vector<double> &want)
{
    if (got.size() != want.size())
        return INFINITY;
    double scale = 0, diff = 0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        scale = std::max(scale, std::fabs(want[i]));
        diff = std::max(diff, std::fabs(got[i] - want[i]));
    }
    return scale > 0 ? diff / scale : diff;
}

std::vector<double> random_walk(std::size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    std::normal_distribution<double> step(0.0, 1.0);
    std::vector<double> x(n);
    double v = 3.0;
    for (double &e : x) {
        v += step(gen);
        e = v + 0.5 * step(gen);
    }
    return x;
}

// One causal pass as the transposed direct form: y[i] = b0 x[i] + z0, z[k-1] = b[k] x[i] - a[k] y[i] + z[k].
std::vector<double> reference_pass(const std::vector<double> &b, const std::vector<double> &a,
                                   const std::vector<double> &x, std::vector<double> z)
{
    const std::size_t nfilt = b.size();
    z.resize(nfilt, 0.0);
    std::vector<double> y(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        y[i] = b[0] * x[i] + z[0];
        for (std::size_t k = 1; k < nfilt; ++k)
            z[k - 1] = b[k] * x[i] - a[k] * y[i] + z[k];
    }
    return y;
}

// The state the filter settles in under a long unit input, by running it (no linear algebra involved).
std::vector<double> reference_steady_state(const std::vector<double> &b, const std::vector<double> &a)
{
    std::vector<double> z(b.size(), 0.0);
    for (int i = 0; i < 4000; ++i) {
        const double y = b[0] + z[0];
        for (std::size_t k = 1; k < b.size(); ++k)
            z[k - 1] = b[k] - a[k] * y + z[k];
    }
    z.resize(b.size() - 1);
    return z;
}

// Forward-backward filtering written out: explicit odd padding, forward pass, reversal, backward pass, trim.
std::vector<double> reference_filtfilt(std::vector<double> b, std::vector<double> a, const std::vector<double> &x)
{
    const std::size_t nfilt = std::max(b.size(), a.size());
    b.resize(nfilt, 0.0);
    a.resize(nfilt, 0.0);
    const std::size_t nfact = 3 * (nfilt - 1);
    const std::size_t n = x.size();
    std::vector<double> padded;
    for (std::size_t k = nfact; k >= 1; --k)
        padded.push_back(2 * x[0] - x[k]);
    padded.insert(padded.end(), x.begin(), x.end());
    for (std::size_t k = 1; k <= nfact; ++k)
        padded.push_back(2 * x[n - 1] - x[n - 1 - k]);

    const std::vector<double> zi = reference_steady_state(b, a);
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<double> z(zi);
        for (double &v : z)
            v *= padded.front();
        padded = reference_pass(b, a, padded, z);
        std::reverse(padded.begin(), padded.end());
    }
    return std::vector<double>(padded.begin() + std::ptrdiff_t(nfact), padded.end() - std::ptrdiff_t(nfact));
}

std::string error_text(const std::function<void()> &f)
{
    try {
        f();
    } catch (const std::domain_error &e) {
        return e.what();
    }
    return {};
}

}  // namespace

class test_fir_filter : public QObject {
    Q_OBJECT

private slots:
    void design_matches_hand_worked_taps()
    {
        // Order 1: window 0.08, 0.08 and equal sinc values: two equal taps whatever the cut-off.
        for (float wn : {0.1f, 0.5f, 1.0f}) {
            const auto h = taps(1, wn);
            QCOMPARE(h.size(), std::size_t(2));
            QVERIFY(std::fabs(h[0] - 0.5) < 1e-15 && std::fabs(h[1] - 0.5) < 1e-15);
        }
        // Order 2, wn 0.5: window 0.08, 1, 0.08; outer taps 0.08 * 0.5 * sin(pi/2)/(pi/2) = 0.08/pi, centre 0.5.
        const double outer = 0.08 / pi, sum2 = 0.5 + 2 * outer;
        QVERIFY(relative_error(taps(2, 0.5f), {outer / sum2, 0.5 / sum2, outer / sum2}) < 1e-12);
        // Order 4, wn 0.25: window 0.08, 0.54, 1, 0.54, 0.08; u = -0.5, -0.25, 0, 0.25, 0.5.
        const double h0 = 0.08 * 0.25 * std::sin(pi * 0.5) / (pi * 0.5), h1 = 0.54 * 0.25 * std::sin(pi * 0.25) / (pi * 0.25);
        const double sum4 = 0.25 + 2 * (h0 + h1);
        QVERIFY(relative_error(taps(4, 0.25f), {h0 / sum4, h1 / sum4, 0.25 / sum4, h1 / sum4, h0 / sum4}) < 1e-12);
        // The same designs as printed figures, and order 3 (odd: no tap on the centre 1.5).
        QVERIFY(relative_error(taps(2, 0.5f), {0.046221, 0.907557, 0.046221}) < 1e-6);
        QVERIFY(relative_error(taps(4, 0.25f), {0.024554, 0.234389, 0.482113, 0.234389, 0.024554}) < 1e-6);
        QVERIFY(relative_error(taps(3, 0.2f), {0.041565, 0.458435, 0.458435, 0.041565}) < 1e-6);
    }

    void designs_are_symmetric_with_unit_gain()
    {
        for (uint16_t order : {5, 6, 31, 100, 301, 500}) {
            for (float wn : {0.01f, 0.1f, 0.37f, 0.9f}) {
                const auto h = taps(order, wn);
                QCOMPARE(h.size(), std::size_t(order) + 1);
                double sum = 0;
                for (std::size_t i = 0; i < h.size(); ++i) {
                    QVERIFY(std::isfinite(h[i]));
                    QVERIFY(std::fabs(h[i] - h[order - i]) < 1e-15);
                    sum += h[i];
                }
                QVERIFY(std::fabs(sum - 1.0) < 1e-12);
            }
        }
    }

    void degenerate_designs_give_nan_without_error()
    {
        const auto zero_order = taps(0, 0.5f);
        QCOMPARE(zero_order.size(), std::size_t(1));
        QVERIFY(std::isnan(zero_order[0]));
        for (double v : taps(8, 0.0f))
            QVERIFY(std::isnan(v));
    }

    void filtfilt_hand_worked_cases()
    {
        // A ramp passes unchanged, an impulse comes out symmetric, four samples are enough for order 1 (y's old
        // contents replaced), and any unit-gain design keeps a constant from the first sample to the last.
        struct hand_case {
            std::vector<double> b, x, want;
        };
        const std::vector<double> flat(200, -7.25);
        for (const hand_case &c : {hand_case{{0.5, 0.5}, {1, 2, 3, 4, 5, 6, 7}, {1, 2, 3, 4, 5, 6, 7}},
                                   hand_case{{0.5, 0.5}, {0, 0, 0, 1, 0, 0, 0}, {0, 0, 0.25, 0.5, 0.25, 0, 0}},
                                   hand_case{{0.25, 0.5, 0.25}, {0, 0, 0, 0, 1, 0, 0, 0, 0},
                                             {0, 0, 0.0625, 0.25, 0.375, 0.25, 0.0625, 0, 0}},
                                   hand_case{{0.5, 0.5}, {5, 5, 5, 5}, {5, 5, 5, 5}}, hand_case{taps(40, 0.05f), flat, flat}}) {
            std::vector<double> y(10, -1.0);
            fir_filter::filtfilt(c.b, {1.0}, c.x, y);
            QVERIFY(relative_error(y, c.want) < 1e-12);
        }
    }

    void filtfilt_matches_reference_definition()
    {
        struct pass_case {
            uint16_t order;
            float wn;
            std::size_t n;
        };
        for (const pass_case &c : {pass_case{3, 0.3f, 13}, pass_case{20, 0.1f, 200}, pass_case{250, 0.02f, 1001},
                                   pass_case{500, 0.004f, 2500}}) {
            const auto x = random_walk(c.n, c.order);
            const auto b = taps(c.order, c.wn);
            std::vector<double> y;
            fir_filter::filtfilt(b, {1.0}, x, y);
            QVERIFY2(relative_error(y, reference_filtfilt(b, {1.0}, x)) < 1e-12, qPrintable(QString::number(c.order)));
        }
        // A true feedback filter goes the general way (linear system for the initial state).
        const auto x = random_walk(120, 9);
        const std::vector<double> b = {0.2, 0.3}, a = {1.0, -0.5};
        std::vector<double> y;
        fir_filter::filtfilt(b, a, x, y);
        QVERIFY(relative_error(y, reference_filtfilt(b, a, x)) < 1e-12);
        // An unnormalised feedback coefficient: the pass divides both vectors by a[0].
        fir_filter::filtfilt({0.4, 0.6}, {2.0, -1.0}, x, y);
        QVERIFY(relative_error(y, reference_filtfilt(b, a, x)) < 1e-12);
    }

    void reversed_input_gives_reversed_output()
    {
        auto x = random_walk(700, 4);
        const auto b = taps(150, 0.03f);
        std::vector<double> y, y_rev;
        fir_filter::filtfilt(b, {1.0}, x, y);
        std::reverse(x.begin(), x.end());
        fir_filter::filtfilt(b, {1.0}, x, y_rev);
        QVERIFY(relative_error(std::vector<double>(y_rev.rbegin(), y_rev.rend()), y) < 1e-12);
    }

    void initial_state_routes_agree()
    {
        for (uint16_t order : {1, 2, 7, 120, 500}) {
            const auto b = taps(order, 0.05f);
            std::vector<double> a(b.size(), 0.0);
            a[0] = 1.0;
            const auto closed = steady_state_initial(b, a);
            const auto lu = steady_state_initial_lu(b, a);
            QCOMPARE(closed.size(), std::size_t(order));
            QVERIFY(relative_error(closed, lu) < 1e-12);
            QVERIFY(relative_error(closed, reference_steady_state(b, a)) < 1e-12);
        }
        // b = {0.5, 0.5}: state 0.5; b = {0.25, 0.5, 0.25}: 0.75, 0.25.
        QVERIFY(relative_error(steady_state_initial({0.5, 0.5}, {1.0, 0.0}), {0.5}) < 1e-15);
        QVERIFY(relative_error(steady_state_initial({0.25, 0.5, 0.25}, {1.0, 0, 0}), {0.75, 0.25}) < 1e-15);
        // With feedback the general system is solved.
        QVERIFY(relative_error(steady_state_initial({0.2, 0.3}, {1.0, -0.5}),
                               reference_steady_state({0.2, 0.3}, {1.0, -0.5}))
                < 1e-12);
    }

    void error_texts()
    {
        const std::string too_short = "Input data too short! Data must have length more than 3 times filter order.";
        std::vector<double> y = {42};
        for (const auto &x : {std::vector<double>{5, 5, 5}, std::vector<double>{}})
            QCOMPARE(error_text([&] { fir_filter::filtfilt({0.5, 0.5}, {1.0}, x, y); }), too_short);
        QCOMPARE(error_text([&] { fir_filter::filtfilt(taps(10, 0.1f), {1.0}, std::vector<double>(30, 1), y); }),
                 too_short);
        QCOMPARE(y, std::vector<double>{42});

        std::vector<double> zi = {1, 2};
        QCOMPARE(error_text([&] { filter({1}, {}, {1, 2}, y, zi); }),
                 std::string("The feedback filter coefficients are empty."));
        QCOMPARE(error_text([&] { filter({1}, {0, 0}, {1, 2}, y, zi); }),
                 std::string("At least one of the feedback filter coefficients has to be non-zero."));
        QCOMPARE(error_text([&] { filter({1}, {0, 1}, {1, 2}, y, zi); }),
                 std::string("First feedback coefficient has to be non-zero."));
        QCOMPARE(y, std::vector<double>{42});
        QCOMPARE(zi, (std::vector<double>{1, 2}));
        // NaN counts as non-zero, so it is not mistaken for a missing coefficient.
        QCOMPARE(error_text([&] { filter({1}, {0, NAN}, {1, 2}, y, zi); }),
                 std::string("First feedback coefficient has to be non-zero."));
        // Errors of the pass come through filtfilt unchanged.
        QCOMPARE(error_text([&] { fir_filter::filtfilt({0.5, 0.5}, {0, 1}, {1, 2, 3, 4, 5}, y); }),
                 std::string("First feedback coefficient has to be non-zero."));
    }

    void single_pass_normalises_and_starts_from_state()
    {
        const std::vector<double> x = {1, -2, 3, 0.5, 4};
        std::vector<double> y1, y2, zi1, zi2;
        filter({2}, {2, 4}, x, y1, zi1);
        filter({1}, {1, 2}, x, y2, zi2);
        QCOMPARE(y1, y2);
        // Hand-worked: y[i] = x[i] - 2 y[i - 1].
        QCOMPARE(y2, (std::vector<double>{1, -4, 11, -21.5, 47}));
        // The initial state affects the first nfilt - 1 outputs only.
        std::vector<double> zi = {10, 20};
        filter({1, 1, 1}, {1}, x, y1, zi);
        QCOMPARE(y1, (std::vector<double>{11, 19, 2, 1.5, 7.5}));
        QCOMPARE(zi.size(), std::size_t(2));
        // Input and output may be the same vector.
        std::vector<double> same = x;
        std::vector<double> none;
        filter({0.5, 0.5}, {1}, same, same, none);
        QCOMPARE(same, (std::vector<double>{0.5, -0.5, 0.5, 1.75, 2.25}));
    }

    void subvector_reverse_takes_both_ends()
    {
        QCOMPARE(subvector_reverse({0, 1, 2, 3, 4}, 3, 1), (std::vector<double>{3, 2, 1}));
        QCOMPARE(subvector_reverse({0, 1, 2}, 2, 2), (std::vector<double>{2}));
        QVERIFY(subvector_reverse({0, 1, 2}, 3, 0).empty());
    }

    void growing_series_matches_whole_refilter()
    {
        const auto x = random_walk(9000, 77);
        growing_filtfilt g;
        g.keep_outputs(60);
        // The caller's copy of every output so far: kept entries come from earlier updates, the rest from this one.
        std::vector<double> assembled;
        std::mt19937 gen(5);
        std::uniform_int_distribution<int> batch(1, 90);
        int incremental_updates = 0;
        for (std::size_t n = 40; n <= x.size(); n += std::size_t(batch(gen))) {
            const int order = std::min(int(n / 4), 500);
            const float wn = 0.01f;
            const std::size_t previous_length = assembled.size();
            const std::size_t first = g.update(x.data(), n, order, wn);
            // Readable: what was recomputed, and the 60 samples before the previous length.
            QVERIFY(g.output_begin() <= std::min(first, previous_length > 60 ? previous_length - 60 : 0));
            assembled.resize(n);
            for (std::size_t i = first; i < n; ++i)
                assembled[i] = g.at(i);
            std::vector<double> whole;
            fir_filter::filtfilt(taps(uint16_t(order), wn), {1.0}, std::vector<double>(x.begin(), x.begin() + std::ptrdiff_t(n)),
                                 whole);
            QVERIFY2(relative_error(assembled, whole) < 1e-12, qPrintable(QString::number(n)));
            if (first > 0)
                ++incremental_updates;
        }
        QVERIFY(incremental_updates > 50);

        // Outside the filter's domain it refuses, as the whole-series filter does.
        QVERIFY(!error_text([&] { g.update(x.data(), 30, 10, 0.01f); }).empty());
        QVERIFY(!error_text([&] { g.update(x.data(), 30, 0, 0.01f); }).empty());

        // Another series is filtered afresh, not patched: one that differs in the samples still held, or a
        // shorter one.
        g.update(x.data(), 8000, 500, 0.01f);
        auto other = x;
        other[7990] += 1.0;
        QCOMPARE(g.update(other.data(), 8000, 500, 0.01f), std::size_t(0));
        std::vector<double> whole, got;
        fir_filter::filtfilt(taps(500, 0.01f), {1.0}, std::vector<double>(other.begin(), other.begin() + 8000), whole);
        for (std::size_t i = 0; i < 8000; ++i)
            got.push_back(g.at(i));
        QVERIFY(relative_error(got, whole) < 1e-12);
        QCOMPARE(g.update(x.data(), 7000, 500, 0.01f), std::size_t(0));
    }
};

QTEST_GUILESS_MAIN(test_fir_filter)
#include "fir_filter_test.moc"
