// The run screen's filtering rules: cut-off choice, sampling rates, orders, live/final passes with hold-back,
// chronoamperometry steps, re-filtering stored records and the details line.
#include "filtering/curve_filtering.h"

#include <QtTest>

#include <cmath>
#include <random>

using namespace curve_filtering;

namespace {

series make_series(int n, unsigned seed, double step_at = -1)
{
    std::mt19937 gen(seed);
    std::normal_distribution<double> noise(0.0, 0.3);
    series s;
    for (int i = 0; i < n; ++i) {
        s.keys.push_back(-0.5 + 0.001 * i);
        s.values.push_back(std::sin(i * 0.01) * 4 + (step_at >= 0 && i >= step_at ? 20 : 0) + noise(gen));
    }
    return s;
}

series head(const series &s, int n)
{
    return series{s.keys.mid(0, n), s.values.mid(0, n)};
}

std::vector<double> whole_filter(const QVector<double> &values, int first, int end, int order, double wn)
{
    const std::vector<double> x(values.begin() + first, values.begin() + end);
    std::vector<double> y;
    fir_filter::filtfilt(arma::conv_to<std::vector<double>>::from(fir_filter::fir1(uint16_t(order), float(wn))),
                         {1.0}, x, y);
    return y;
}

// Largest difference over [first, end) of got against want (indexed from first), relative to want's magnitude.
double relative_error(const QVector<double> &got, int first, const std::vector<double> &want)
{
    double scale = 0, diff = 0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        scale = std::max(scale, std::fabs(want[i]));
        diff = std::max(diff, std::fabs(got[first + int(i)] - want[i]));
    }
    return scale > 0 ? diff / scale : diff;
}

std::array<bool, filter_mode_count> checked(std::initializer_list<int> modes)
{
    std::array<bool, filter_mode_count> c{};
    for (int m : modes)
        c[std::size_t(m)] = true;
    return c;
}

}  // namespace

class test_curve_filtering : public QObject {
    Q_OBJECT

private slots:
    void checked_action_precedence()
    {
        const QVector<float> picked = {
            selected_filter_cutoff(checked({})), selected_filter_cutoff(checked({mode_0_5hz})),
            selected_filter_cutoff(checked({mode_2hz})), selected_filter_cutoff(checked({mode_1hz, mode_10hz})),
            selected_filter_cutoff(checked({mode_5hz, mode_raw})),
            selected_filter_cutoff(checked({mode_raw, mode_automatic, mode_10hz}))};
        QCOMPARE(picked, QVector<float>({0.5f, 0.5f, 2.0f, 10.0f, 0.0f, -1.0f}));
        QCOMPARE((QVector<float>{mode_cutoff_hz(mode_raw), mode_cutoff_hz(mode_0_5hz), mode_cutoff_hz(mode_10hz),
                                 mode_cutoff_hz(mode_automatic), mode_cutoff_hz(9)}),
                 QVector<float>({0.0f, 0.5f, 10.0f, -1.0f, -1.0f}));
    }

    void automatic_cutoff_per_method_data()
    {
        // The cyclic page keeps the form's 20 mV/s on every row but its own, so a method reading it shows.
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("rate");    // Scan_Rate or lsv_rate (mV/s), swv_freq (Hz)
        QTest::addColumn<int>("period");  // dpv_period or npv_period (ms)
        QTest::addColumn<int>("step");    // Scan_step, or the pulse method's step (mV)
        QTest::addColumn<float>("want");
        const int cv = int(method_index::cyclic), lsv = int(method_index::linear_sweep);
        const int dpv = int(method_index::differential_pulse), swv = int(method_index::square_wave);
        const int npv = int(method_index::normal_pulse);
        QTest::newRow("cyclic 20 mV/s: r = 1") << cv << 20 << 0 << 1 << 1.0f;
        QTest::newRow("cyclic 15 mV/s: 0.75 is not above 0.75") << cv << 15 << 0 << 1 << 0.5f;
        QTest::newRow("cyclic 50 mV/s") << cv << 50 << 0 << 1 << 2.0f;
        QTest::newRow("cyclic 100 mV/s, 1 mV") << cv << 100 << 0 << 1 << 5.0f;
        QTest::newRow("cyclic 100 mV/s, 0.736 mV") << cv << 100 << 0 << step_736_uV << 5.0f;
        QTest::newRow("cyclic 100 mV/s, 5 mV") << cv << 100 << 0 << 5 << 5.0f;
        // Each threshold belongs to the row below it: exactly 30, 70 and 150 mV/s are not above 1.5, 3.5 and 7.5.
        QTest::newRow("cyclic 30") << cv << 30 << 0 << 1 << 1.0f;
        QTest::newRow("cyclic 31") << cv << 31 << 0 << 1 << 2.0f;
        QTest::newRow("cyclic 70") << cv << 70 << 0 << 1 << 2.0f;
        QTest::newRow("cyclic 71") << cv << 71 << 0 << 1 << 5.0f;
        QTest::newRow("cyclic 150") << cv << 150 << 0 << 1 << 5.0f;
        QTest::newRow("cyclic 151") << cv << 151 << 0 << 1 << 10.0f;
        QTest::newRow("linear sweep 100 mV/s, its own rate") << lsv << 100 << 0 << 1 << 5.0f;
        QTest::newRow("linear sweep 151 mV/s") << lsv << 151 << 0 << 1 << 10.0f;
        QTest::newRow("square wave 15 Hz, 4 mV") << swv << 15 << 0 << 4 << 2.0f;
        QTest::newRow("square wave 25 Hz, 4 mV") << swv << 25 << 0 << 4 << 5.0f;
        QTest::newRow("square wave 20 Hz, 2 mV (the form's)") << swv << 20 << 0 << 2 << 2.0f;
        QTest::newRow("square wave 50 Hz, 3 mV: exactly 7.5") << swv << 50 << 0 << 3 << 5.0f;
        QTest::newRow("differential pulse 100 ms, 5 mV") << dpv << 0 << 100 << 5 << 2.0f;
        QTest::newRow("differential pulse 20 ms, 2 mV (the form's)") << dpv << 0 << 20 << 2 << 5.0f;
        QTest::newRow("differential pulse 60 ms, 9 mV: exactly 7.5") << dpv << 0 << 60 << 9 << 5.0f;
        QTest::newRow("normal pulse 100 ms, 5 mV") << npv << 0 << 100 << 5 << 2.0f;
        QTest::newRow("normal pulse 10 ms, 10 mV (the form's): 50 Hz, above the ladder") << npv << 0 << 10 << 10 << 50.0f;
        // Where the ladder reaches the samples' own rate (rate / step) it would leave the curve raw: scan rate / 20.
        QTest::newRow("cyclic 1 mV/s, 1 mV: the ladder") << cv << 1 << 0 << 1 << 0.5f;
        QTest::newRow("cyclic 2 mV/s, 5 mV") << cv << 2 << 0 << 5 << 0.1f;
        QTest::newRow("linear sweep 1 mV/s, 2 mV: 0.5 Hz is its rate") << lsv << 1 << 0 << 2 << 0.05f;
        QTest::newRow("differential pulse 2 s, 2 mV") << dpv << 0 << 2000 << 2 << 0.05f;
        QTest::newRow("normal pulse 2 s, 10 mV") << npv << 0 << 2000 << 10 << 0.25f;
        QTest::newRow("square wave 2 Hz, 40 mV: at its rate, nothing to smooth") << swv << 2 << 0 << 40 << 4.0f;
        // Above the ladder's top a fixed 10 Hz would flatten a fast sweep's peaks: scan rate / 20.
        QTest::newRow("cyclic 200 mV/s: the ladder's top") << cv << 200 << 0 << 1 << 10.0f;
        QTest::newRow("cyclic 201 mV/s") << cv << 201 << 0 << 1 << 10.05f;
        QTest::newRow("cyclic 1000 mV/s, 5 mV") << cv << 1000 << 0 << 5 << 50.0f;
        QTest::newRow("square wave 100 Hz, 10 mV") << swv << 100 << 0 << 10 << 50.0f;
        QTest::newRow("square wave 200 Hz, 20 mV: at its rate") << swv << 200 << 0 << 20 << 200.0f;
        QTest::newRow("differential pulse 10 ms, 10 mV") << dpv << 0 << 10 << 10 << 50.0f;
        // No rate at all: the lowest cut-off, no division by zero.
        QTest::newRow("normal pulse, period 0") << npv << 0 << 0 << 10 << 0.5f;
        QTest::newRow("normal pulse, step 0") << npv << 0 << 10 << 0 << 0.5f;
        QTest::newRow("chronoamperometry: raw data") << int(method_index::chronoamperometry) << 500 << 10 << 5 << 0.0f;
        QTest::newRow("amperometry: 5 Hz") << int(method_index::amperometry) << 500 << 10 << 5 << 5.0f;
    }
    void automatic_cutoff_per_method()
    {
        QFETCH(int, method);
        QFETCH(int, rate);
        QFETCH(int, period);
        QFETCH(int, step);
        QFETCH(float, want);
        const method_index m = method_index(method);
        method_pages p;
        if (m == method_index::cyclic)
            p.cv.rate_mV_s = rate;
        p.cv.step = step;
        p.lsv.rate_mV_s = p.swv.freq_Hz = rate;
        p.dpv.period_ms = p.npv.period_ms = period;
        p.dpv.step_mV = p.swv.step_mV = p.npv.step_mV = step;
        QCOMPARE(run_cutoff_hz(-1, m, p), want);
        // A fixed choice wins for every method.
        QCOMPARE(run_cutoff_hz(2, m, p), 2.0f);
        QCOMPARE(run_cutoff_hz(0, m, p), 0.0f);
    }

    void sampling_rate_table_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("resolution");  // the potential step: mV, 736 for 0.736 mV, 0 when none is known
        QTest::addColumn<bool>("both");
        QTest::addColumn<double>("want");
        const double both = double(300.62247f), one = double(715.4035f);
        const QString cv = "Cyclic Voltammetry", lsv = "Linear Sweep Voltammetry";
        // A sweep's samples lie one step apart: v mV/s in s mV steps give v / s a second.
        QTest::newRow("cyclic 1 mV") << cv << 100 << 1 << true << 100.0;
        QTest::newRow("cyclic 0.736 mV counts as 1 mV") << cv << 100 << step_736_uV << true << 100.0;
        QTest::newRow("cyclic, no step known") << cv << 100 << 0 << false << 100.0;
        QTest::newRow("cyclic 2 mV") << cv << 20 << 2 << false << 10.0;
        QTest::newRow("cyclic 5 mV") << cv << 100 << 5 << true << 20.0;
        QTest::newRow("cyclic 10 mV") << cv << 100 << 10 << false << 10.0;
        QTest::newRow("linear sweep 1 mV") << lsv << 50 << 1 << false << 50.0;
        QTest::newRow("linear sweep 0.736 mV") << lsv << 50 << step_736_uV << false << 50.0;
        QTest::newRow("linear sweep 5 mV") << lsv << 50 << 5 << false << 10.0;
        // The step is no part of the other methods' rates.
        QTest::newRow("square wave") << "Square Wave Voltammetry" << 25 << 5 << false << 25.0;
        QTest::newRow("normal pulse") << "Normal Pulse Voltammetry" << 25 << 5 << false << 25.0;
        QTest::newRow("differential pulse") << "Diff. Pulse Voltammetry" << 20 << 5 << false << 50.0;
        QTest::newRow("differential pulse, period 0") << "Diff. Pulse Voltammetry" << 0 << 1 << false << 0.0;
        QTest::newRow("amperometric, both") << "Amperometric" << 1 << 5 << true << both;
        QTest::newRow("amperometric, one") << "Amperometric" << 1 << 5 << false << one;
        QTest::newRow("chronoamperometry, both") << "Chronoamperometry" << 200 << 1 << true << both;
        QTest::newRow("chronoamperometry, one") << "Chronoamperometry" << 200 << 1 << false << one;
    }
    void sampling_rate_table()
    {
        QFETCH(QString, method);
        QFETCH(int, rate);
        QFETCH(int, resolution);
        QFETCH(bool, both);
        QFETCH(double, want);
        QCOMPARE(sampling_rate_hz(method, rate, both, uint16_t(resolution)), want);
        QCOMPARE(record_sampling_rate_hz(method, uint16_t(rate), both, uint16_t(resolution), {}), want);
    }

    void pulse_and_electrode_rates()
    {
        // Pulse records: the period line of the details decides, whichever meaning `rate` has.
        const QStringList dpv = {"Diff. Pulse Voltammetry", "Ei(mV): -1000", "Ef(mV): 1000", "Step(mV): 2",
                                 "Width(ms): 10",           "Period(ms): 300"};
        QCOMPARE(record_sampling_rate_hz("Diff. Pulse Voltammetry", 3, false, 1, dpv), 1000.0 / 300);
        QCOMPARE(record_sampling_rate_hz("Diff. Pulse Voltammetry", 300, false, 1, dpv), 1000.0 / 300);
        QStringList npv = dpv;
        npv[0] = "Normal Pulse Voltammetry";
        npv[5] = "Period(ms): 40";
        QCOMPARE(record_sampling_rate_hz("Normal Pulse Voltammetry", 5, false, 1, npv), 25.0);
        // Without the line the table applies.
        QCOMPARE(record_sampling_rate_hz("Diff. Pulse Voltammetry", 20, false, 1, {}), 50.0);
        QCOMPARE(record_sampling_rate_hz("Normal Pulse Voltammetry", 25, false, 1, {}), 25.0);

        // The electrodes recorded, not the show/hide boxes.
        QVERIFY(both_electrodes_of_channel(3));
        QVERIFY(!both_electrodes_of_channel(1) && !both_electrodes_of_channel(2));
        QVERIFY(both_electrodes_of_raw(10, 10));
        QVERIFY(!both_electrodes_of_raw(10, 0) && !both_electrodes_of_raw(0, 10));
    }

    void unusable_cutoffs_mean_raw()
    {
        QCOMPARE(normalised_cutoff(10.0f, 100.0), double(0.1f));
        QCOMPARE(normalised_cutoff(5.0f, double(715.4035f)), double(float(5.0 / double(715.4035f))));
        // Not smoothing, a rate of zero or not finite, and a normalised cut-off of 1 or more (a high-pass) all mean raw.
        for (auto c : {std::pair<float, double>{0.0f, 100.0}, {0.0009f, 100.0}, {-2.0f, 100.0}, {2.0f, 0.0}, {2.0f, NAN},
                       {2.0f, INFINITY}, {10.0f, 10.0}, {10.0f, 2.0}, {NAN, 100.0}})
            QVERIFY2(normalised_cutoff(c.first, c.second) == 0.0, qPrintable(QString::number(c.first)));
        QVERIFY(is_raw_cutoff(0.0005f) && is_raw_cutoff(-0.0005f) && !is_raw_cutoff(0.001f));
    }

    void order_caps()
    {
        QCOMPARE((QVector<int>{filter_order(4000, order_cap), filter_order(4000, order_cap_we2), filter_order(100, order_cap),
                               filter_order(7, order_cap), filter_order(3, order_cap), filter_order(-5, order_cap)}),
                 QVector<int>({500, 300, 25, 1, 0, 0}));
        // Batch passes only while running.
        QVERIFY(batch_pass_due(true, 4));
        QVERIFY(!batch_pass_due(true, 3));
        QVERIFY(!batch_pass_due(false, 1000));
    }

    void live_pass_holds_back_newest_rate_points()
    {
        const series all = make_series(400, 1);
        live_settings s;
        s.filter_hz = 2;
        s.fs = 20;  // a 20 mV/s cyclic run
        s.hold_back = 20;
        live_filter_state state;

        QVERIFY(!state.pass(head(all, 19), s, false));  // nothing before `rate` samples
        QVERIFY(state.pass(head(all, 20), s, false));
        QCOMPARE(state.shown().keys.size(), 0);

        QVERIFY(state.pass(head(all, 100), s, false));
        QCOMPARE(state.shown().keys.size(), 80);
        QCOMPARE(state.shown().keys, all.keys.mid(0, 80));
        // The shown points are the smoothed whole run so far, cut short.
        const auto whole = whole_filter(all.values, 0, 100, 25, 0.1);
        QVERIFY(relative_error(state.shown().values, 0, std::vector<double>(whole.begin(), whole.begin() + 80)) < 1e-12);
        QVERIFY(state.smoothed());

        // The final pass releases the held-back points.
        QVERIFY(state.pass(head(all, 103), s, true));
        QCOMPARE(state.shown().keys, all.keys.mid(0, 103));
        QVERIFY(relative_error(state.shown().values, 0, whole_filter(all.values, 0, 103, 25, 0.1)) < 1e-12);

        // The WE2 pass caps the order at 300.
        live_filter_state we2;
        live_settings s2 = s;
        s2.order_cap = order_cap_we2;
        s2.fs = 1000;
        QVERIFY(we2.pass(head(make_series(1400, 3), 1400), s2, true));
        QVERIFY(relative_error(we2.shown().values, 0, whole_filter(make_series(1400, 3).values, 0, 1400, 300, 0.002))
                < 1e-12);
    }

    void live_pass_keeps_raw_and_short_runs()
    {
        const series all = make_series(50, 2);
        live_settings s;
        s.filter_hz = 0;
        s.fs = 100;
        s.hold_back = 10;
        live_filter_state state;
        // Raw cut-off: every live point, held back or not.
        QVERIFY(state.pass(all, s, false));
        QCOMPARE(state.shown().keys, all.keys);
        QCOMPARE(state.shown().values, all.values);
        QVERIFY(!state.smoothed());

        // A sampling rate of zero shows the samples, never NaN.
        s.filter_hz = 5;
        s.fs = 0;
        QVERIFY(state.pass(all, s, true));
        QCOMPARE(state.shown().values, all.values);

        // A run that ended after 3 samples (too few to filter) still shows them, even below `rate`.
        s.fs = 100;
        live_filter_state shortrun;
        QVERIFY(!shortrun.pass(head(all, 3), s, false));
        QVERIFY(shortrun.pass(head(all, 3), s, true));
        QCOMPARE(shortrun.shown().values, all.values.mid(0, 3));
        // An empty run gives an empty curve.
        QVERIFY(shortrun.pass(series(), s, true));
        QCOMPARE(shortrun.shown().keys.size(), 0);
    }

    void live_incremental_equals_whole_refilter()
    {
        const series all = make_series(9000, 11);
        live_settings s;
        s.filter_hz = 5;
        s.fs = double(715.4035f);
        s.hold_back = 1;
        live_filter_state state;
        std::mt19937 gen(3);
        std::uniform_int_distribution<int> batch(1, 120);
        for (int n = 4; n <= all.keys.size(); n += batch(gen)) {
            QVERIFY(state.pass(head(all, n), s, false));
            const int order = filter_order(n, order_cap);
            const auto whole = whole_filter(all.values, 0, n, order, normalised_cutoff(s.filter_hz, s.fs));
            QCOMPARE(state.shown().values.size(), n - 1);
            QVERIFY2(relative_error(state.shown().values, 0, std::vector<double>(whole.begin(), whole.end() - 1))
                         < 1e-12,
                     qPrintable(QString::number(n)));
            QCOMPARE(state.shown().keys, all.keys.mid(0, n - 1));
        }
        // A new run (different samples) after reset is filtered on its own.
        state.reset();
        const series other = make_series(3000, 12);
        QVERIFY(state.pass(other, s, true));
        QVERIFY(relative_error(state.shown().values, 0, whole_filter(other.values, 0, 3000, 500, normalised_cutoff(5, s.fs)))
                < 1e-12);
    }

    void chrono_steps_counted_after_the_lead()
    {
        // t1 = 1000 ms, one electrode: 715.40 samples per step.
        chrono_layout l = make_chrono_layout(1000, 3, 0, false);
        QCOMPARE(l.lead_samples, 0);
        QCOMPARE(chrono_segments(l, 2000), (std::vector<std::pair<int, int>>{{0, 715}, {715, 1430}, {1430, 2000}}));
        // Samples past the last planned step join it; none is dropped.
        QCOMPARE(chrono_segments(l, 2500), (std::vector<std::pair<int, int>>{{0, 715}, {715, 1430}, {1430, 2500}}));
        QCOMPARE(chrono_segments(l, 716), (std::vector<std::pair<int, int>>{{0, 715}, {715, 716}}));

        // One second of lead with one electrode is 715 samples; steps start right after them.
        l = make_chrono_layout(1000, 2, 1, false);
        QCOMPARE(l.lead_samples, 715);
        QCOMPARE(chrono_segments(l, 600), (std::vector<std::pair<int, int>>{{0, 600}}));
        QCOMPARE(chrono_segments(l, 800), (std::vector<std::pair<int, int>>{{0, 715}, {715, 800}}));
        QCOMPARE(chrono_segments(l, 2300), (std::vector<std::pair<int, int>>{{0, 715}, {715, 1430}, {1430, 2300}}));
        // Both electrodes: the longer sample period.
        l = make_chrono_layout(1000, 2, 2, true);
        QCOMPARE(l.lead_samples, 601);  // 2000 / 3.32643125 = 601.25
        QVERIFY(std::fabs(l.samples_per_step - 1000 / 3.32643125) < 1e-12);

        // No steps recorded: the samples after the lead as one piece, not an empty curve.
        l = make_chrono_layout(1000, 0, 1, false);
        QCOMPARE(chrono_segments(l, 1000), (std::vector<std::pair<int, int>>{{0, 715}, {715, 1000}}));
        QVERIFY(chrono_segments(l, 0).empty());
    }

    void chrono_steps_filtered_on_their_own_samples()
    {
        const chrono_layout l = make_chrono_layout(1000, 3, 0, false);
        const double fs = double(715.4035f);
        // A flat current per step with a jump between steps: the start of each step must stay at its level,
        // not be pulled toward zero or toward the other step.
        series flat;
        for (int i = 0; i < 2000; ++i) {
            flat.keys.push_back(i * 1.3978125);
            flat.values.push_back(i < 715 ? 12.5 : (i < 1430 ? -3.0 : 40.0));
        }
        chrono_filter_state state;
        state.pass(flat, 2, fs, l);
        QCOMPARE(state.shown().keys, flat.keys);
        for (int i = 0; i < 2000; ++i)
            QVERIFY2(std::fabs(state.shown().values[i] - flat.values[i]) < 1e-9, qPrintable(QString::number(i)));

        // Noisy data: each step equals the zero-phase filter of that step alone.
        const series noisy = make_series(2000, 8);
        const double wn = normalised_cutoff(2, fs);
        state.reset();
        state.pass(noisy, 2, fs, l);
        for (const auto &seg : chrono_segments(l, 2000)) {
            const int order = filter_order(seg.second - seg.first, order_cap);
            QVERIFY(relative_error(state.shown().values, seg.first,
                                   whole_filter(noisy.values, seg.first, seg.second, order, wn))
                    < 1e-12);
        }

        // A step that has just begun (3 samples) shows its raw samples.
        state.reset();
        state.pass(head(noisy, 1433), 2, fs, l);
        QCOMPARE(state.shown().values.size(), 1433);
        for (int i = 1430; i < 1433; ++i)
            QCOMPARE(state.shown().values[i], noisy.values[i]);
        QVERIFY(state.shown().values[100] != noisy.values[100]);

        // Raw cut-off: the live points as they are.
        state.pass(noisy, 0, fs, l);
        QCOMPARE(state.shown().values, noisy.values);
    }

    void chrono_incremental_equals_whole()
    {
        const chrono_layout l = make_chrono_layout(3000, 4, 1, false);  // 715 lead, 2146.2 per step
        const series all = make_series(9700, 21, 3000);
        const double fs = double(715.4035f);
        chrono_filter_state live;
        std::mt19937 gen(9);
        std::uniform_int_distribution<int> batch(1, 150);
        for (int n = 4; n <= all.keys.size(); n += batch(gen)) {
            const series part = head(all, n);
            live.pass(part, 1, fs, l);
            chrono_filter_state fresh;
            fresh.pass(part, 1, fs, l);
            QCOMPARE(live.shown().keys, part.keys);
            QVERIFY2(relative_error(live.shown().values, 0,
                                    std::vector<double>(fresh.shown().values.begin(), fresh.shown().values.end()))
                         < 1e-12,
                     qPrintable(QString::number(n)));
        }
    }

    void refilter_takes_points_from_raw_curve()
    {
        const series raw = make_series(300, 5);
        const series out = refiltered(raw, 1, 20);
        QCOMPARE(out.keys, raw.keys);
        QVERIFY(relative_error(out.values, 0, whole_filter(raw.values, 0, 300, 75, 0.05)) < 1e-12);
        // Too few points, a raw or an unusable cut-off: the raw points.
        QCOMPARE(refiltered(head(raw, 4), 1, 20).values, raw.values.mid(0, 4));
        for (auto unusable : {std::pair<float, double>{0, 20}, {10, 0}, {10, 10}})
            QCOMPARE(refiltered(raw, unusable.first, unusable.second).values, raw.values);
        QCOMPARE(refiltered(head(raw, 5), 1, 20).values.size(), 5);
        QVERIFY(refiltered(head(raw, 5), 1, 20).values != raw.values.mid(0, 5));
    }

    void stored_chrono_record_refiltered_step_by_step()
    {
        // A stored run: 1 s lead, then 3 steps of 100 ms on one electrode, every part flat at its own level.
        const double fs = double(one_electrode_rate_hz);
        stored_layout chrono;
        chrono.method = QStringLiteral("Chronoamperometry");
        chrono.rate = 100;
        chrono.cycles = 3;
        chrono.lead_time_s = 1;
        const chrono_layout l = make_chrono_layout(100, 3, 1, false);
        const auto segments = chrono_segments(l, 930);
        QCOMPARE(int(segments.size()), 4);
        const double levels[] = {5.0, 12.5, -3.0, 40.0};
        series flat;
        for (std::size_t k = 0; k < segments.size(); ++k)
            for (int i = segments[k].first; i < segments[k].second; ++i) {
                flat.keys.push_back(i * one_electrode_period_ms);
                flat.values.push_back(levels[k]);
            }
        for (float hz : {1.0f, 5.0f}) {
            const series out = refiltered_record(flat, hz, fs, chrono);
            QCOMPARE(out.keys, flat.keys);
            for (int i = 0; i < flat.values.size(); ++i)
                QVERIFY2(std::fabs(out.values[i] - flat.values[i]) < 1e-9, qPrintable(QString::number(i)));
        }
        // Smoothed as one series the step edges would be smeared: the plan is what keeps them.
        QVERIFY(std::fabs(refiltered(flat, 1, fs).values[715] - 12.5) > 0.1);

        // Without a step plan, or for any other method, the whole-series rule.
        const series noisy = make_series(930, 4);
        stored_layout no_step_time = chrono, no_steps = chrono, ampero = chrono;
        no_step_time.rate = 0;
        no_steps.cycles = 0;
        ampero.method = QStringLiteral("Amperometric");
        for (const stored_layout &other : {no_step_time, no_steps, ampero})
            QCOMPARE(refiltered_record(noisy, 1, fs, other).values, refiltered(noisy, 1, fs).values);
        // A raw cut-off or too few points: the raw points.
        QCOMPARE(refiltered_record(noisy, 0, fs, chrono).values, noisy.values);
        QCOMPARE(refiltered_record(head(noisy, 4), 1, fs, chrono).values, noisy.values.mid(0, 4));
    }

    void filter_line_positions()
    {
        QCOMPARE((QStringList{filter_value_text(0.5f), filter_value_text(10.0f), filter_value_text(0.0f),
                              filter_value_text(-3.0f), filter_value_text(NAN), filter_value_text(0.001f)}),
                 (QStringList{"0.5", "10", "None", "None", "None", "0.001"}));
        QCOMPARE(filter_line_text("0.5"), QString("Filter: 0.5Hz"));
        QCOMPARE(filter_line_text("None"), QString("Filter: None"));

        // The line sits at 3 for amperometry, 4 for linear sweep, 6 otherwise; nothing else changes.
        for (auto c : {std::pair<QString, int>{"Amperometric", 3}, {"Linear Sweep Voltammetry", 4}, {"Cyclic Voltammetry", 6}}) {
            QStringList lines = {c.first, "a", "b", "c", "d", "e", "f", "g"};
            lines[c.second] = "Filter: 5Hz";
            QStringList want = lines;
            want[c.second] = "Filter: 10Hz";
            QVERIFY(set_filter_line(lines, c.first, "10"));
            QCOMPARE(lines, want);
        }

        // A record without that line is left alone.
        QStringList shortlist = {"Chronoamperometry", "Ei(mV): 1"};
        QVERIFY(!set_filter_line(shortlist, "Chronoamperometry", "5"));
        QCOMPARE(shortlist, (QStringList{"Chronoamperometry", "Ei(mV): 1"}));
    }
};

QTEST_GUILESS_MAIN(test_curve_filtering)
#include "curve_filtering_test.moc"
