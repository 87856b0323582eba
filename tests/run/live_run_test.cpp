// The receive path without a window: samples filed by electrode whatever the byte splits, the hold-back of the
// live passes, and curves brought up to date point for point.
#include <QtTest>

#include <cmath>

#include <qcustomplot.h>

#include "instrument/method_names.h"
#include "run/live_run.h"
#include "support/frame_codec.h"

namespace {
curve_filtering::series points_of(const QCPCurve *c)
{
    curve_filtering::series s;
    int t = 0;
    for (auto it = c->data()->constBegin(); it != c->data()->constEnd(); ++it, ++t) {
        if (it->t != t)
            return {};   // running indexes must be 0, 1, 2, ...
        s.keys << it->key;
        s.values << it->value;
    }
    return s;
}

curve_filtering::series ramp(int n, double slope)
{
    curve_filtering::series s;
    for (int i = 0; i < n; ++i) {
        s.keys << i * 0.5;
        s.values << i * slope;
    }
    return s;
}

// A run on both electrodes with the frames of `samples` potentials: cyclic at 20 mV/s in `step_mV` steps, or
// amperometry (whose record's rate is 1) with time-indexed frames.
struct sample_run {
    parameter_frame_result built;
    live_run run;
    QByteArray stream;
    // `wavy` gives a current the filters visibly change (a ramp comes through any of them unchanged).
    explicit sample_run(int samples, float filter_hz, bool wavy = false, int step_mV = 1,
                        method_index method = method_index::cyclic)
    {
        method_pages pages;
        pages.cv.step = step_mV;
        run_settings settings;
        settings.we1 = settings.we2 = true;
        built = build_parameter_frame(method, pages, settings, details_context{});
        live_run_setup setup;
        setup.method = method;
        setup.method_name = method_name(method);
        setup.filter_hz = filter_hz;
        setup.rate = method == method_index::amperometry ? 1 : 20;
        setup.details = built.details;
        run.start(setup, built);
        for (int k = 0; k < samples; ++k) {
            for (uint8_t e : {uint8_t(1), uint8_t(2)}) {
                sample_frame_values v;
                if (method == method_index::amperometry)
                    v.type = sample_frame_type::time_indexed;
                v.electrode = e;
                v.sample_index = uint16_t(k);
                v.potential_V = -0.5 + k * 0.001;
                v.current_uA = float(e == 1 ? k * 0.05 : -k * 0.05);
                if (wavy)
                    v.current_uA = float((e == 1 ? 20 : -20) * std::sin(k * 0.07) + 3 * std::sin(k * 0.9));
                stream += encode_sample_frame(v);
            }
        }
    }
};
}  // namespace

class live_run_test : public QObject {
    Q_OBJECT
    QCustomPlot plot;

private slots:
    void curves_take_the_points_and_keep_running_indexes()
    {
        QCPCurve *c = new QCPCurve(plot.xAxis, plot.yAxis);
        sync_curve(c, ramp(50, 1.0));
        QCOMPARE(points_of(c).values, ramp(50, 1.0).values);

        // A longer series whose tail differs: the whole curve ends up equal to it.
        curve_filtering::series longer = ramp(80, 1.0);
        for (int i = 40; i < 80; ++i)
            longer.values[i] = -i;
        sync_curve(c, longer);
        QCOMPARE(points_of(c).values, longer.values);
        QCOMPARE(points_of(c).keys, longer.keys);

        // Shorter, and different from the first point on.
        sync_curve(c, ramp(10, 2.0));
        QCOMPARE(points_of(c).values, ramp(10, 2.0).values);
        sync_curve(c, curve_filtering::series());
        QCOMPARE(c->data()->size(), 0);

        // Points that did not come from here (running indexes not 0, 1, 2, ...) are replaced, not merged.
        c->data()->clear();
        c->addData(7, 1.0, 1.0);
        c->addData(9, 2.0, 2.0);
        sync_curve(c, ramp(3, 1.0));
        QCOMPARE(points_of(c).values, ramp(3, 1.0).values);
    }

    void a_growing_run_is_followed_by_bisection()
    {
        QCPCurve *c = new QCPCurve(plot.xAxis, plot.yAxis);
        curve_filtering::series s = ramp(1000, 1.0);
        sync_curve(c, s, sync_mode::growing_prefix);
        QCOMPARE(points_of(c).values, s.values);
        // Appended samples and a re-filtered tail, as each live pass of a run gives them.
        for (int round = 0; round < 5; ++round) {
            const int n = s.keys.size();
            for (int i = 0; i < 37; ++i) {
                s.keys << (n + i) * 0.5;
                s.values << (n + i) * 1.0;
            }
            for (int i = s.values.size() - 300 + round; i < s.values.size(); ++i)
                s.values[i] += 0.25 * (round + 1);
            sync_curve(c, s, sync_mode::growing_prefix);
            QCOMPARE(points_of(c).values, s.values);
            QCOMPARE(points_of(c).keys, s.keys);
        }
        // A shorter series of another run: nothing of the old one survives.
        sync_curve(c, ramp(20, -3.0), sync_mode::growing_prefix);
        QCOMPARE(points_of(c).values, ramp(20, -3.0).values);
    }

    void samples_land_on_their_electrode_whatever_the_splits()
    {
        sample_run whole(120, 0.5f), pieces(120, 0.5f);
        QByteArray rx = whole.stream;
        const decoded_batch all = whole.run.receive(rx);
        QCOMPARE(int(all.samples.size()), 240);
        QCOMPARE(whole.run.live_count(0), 120);
        QCOMPARE(whole.run.live_count(1), 120);

        QByteArray buffer;
        for (int at = 0, piece = 1; at < pieces.stream.size(); at += piece, piece = piece % 97 + 13) {
            buffer += pieces.stream.mid(at, piece);
            pieces.run.receive(buffer);
        }
        QCOMPARE(pieces.run.live(0).values, whole.run.live(0).values);
        QCOMPARE(pieces.run.live(1).keys, whole.run.live(1).keys);
        QVERIFY(whole.run.live(0).values.last() > 0);
        QVERIFY(whole.run.live(1).values.last() < 0);
    }

    void live_passes_hold_back_the_newest_samples_until_the_end_data()
    {
        // One second of a sweep's samples at 20 mV/s: 20 in 1 mV steps, 2 in 10 mV steps (not ten seconds' worth).
        // Other methods hold back the record's rate.
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("step_mV");
        QTest::addColumn<int>("held");
        const int cv = int(method_index::cyclic);
        QTest::newRow("1 mV") << cv << 1 << 20;
        QTest::newRow("0.736 mV counts as 1 mV") << cv << int(step_736_uV) << 20;
        QTest::newRow("3 mV: a second rounded up") << cv << 3 << 7;
        QTest::newRow("10 mV") << cv << 10 << 2;
        QTest::newRow("amperometry: its rate, not its 301 samples a second") << int(method_index::amperometry) << 1 << 1;
    }
    void live_passes_hold_back_the_newest_samples_until_the_end()
    {
        QFETCH(int, method);
        QFETCH(int, step_mV);
        QFETCH(int, held);
        sample_run r(100, 0.5f, false, step_mV, method_index(method));
        QByteArray rx = r.stream.left((held - 1) * 2 * sample_frame_size);
        r.run.receive(rx);
        QVERIFY(!r.run.pass(0, false));   // less than a second of samples: nothing to show yet
        rx += r.stream.mid((held - 1) * 2 * sample_frame_size);
        r.run.receive(rx);
        QVERIFY(r.run.pass(0, false));
        QCOMPARE(r.run.shown(0).values.size(), 100 - held);
        QVERIFY(r.run.pass(0, true));
        QCOMPARE(r.run.shown(0).values.size(), 100);
        // Smoothing keeps the ramp a ramp (odd extension at both ends) and changes nothing of its length.
        QVERIFY(std::abs(r.run.shown(0).values[50] - r.run.live(0).values[50]) < 0.05);
    }

    void each_electrode_keeps_its_own_order_cap_data()
    {
        // Above 1,200 samples a quarter of the length passes the WE2 cap (300) and, up to 2,000, not WE1's (500).
        // The samples come one potential step apart: 20 mV/s gives 20 a second in 1 mV steps, 4 in 5 mV steps.
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("step_mV");
        QTest::newRow("below both caps") << 1000 << 1;
        QTest::newRow("past the WE2 cap") << 1300 << 1;
        QTest::newRow("past both caps") << 2400 << 1;
        QTest::newRow("past both caps, 5 mV steps") << 2400 << 5;
    }
    void each_electrode_keeps_its_own_order_cap()
    {
        QFETCH(int, samples);
        QFETCH(int, step_mV);
        sample_run r(samples, 0.5f, true, step_mV);
        QByteArray rx = r.stream;
        r.run.receive(rx);
        const double fs = 20.0 / step_mV;
        const int caps[live_run::electrodes] = {curve_filtering::order_cap, curve_filtering::order_cap_we2};
        for (int e = 0; e < live_run::electrodes; ++e) {
            // A batch pass, then the final one, each against the same passes with the electrode's own cap at the
            // samples' own rate, and with the other electrode's cap.
            QVERIFY(r.run.pass(e, false));
            const curve_filtering::series batch = r.run.shown(e);
            QVERIFY(r.run.pass(e, true));
            curve_filtering::series expected[2];
            for (int which = 0; which < 2; ++which) {
                curve_filtering::live_settings s;
                s.filter_hz = 0.5f;
                s.fs = fs;
                s.order_cap = caps[which == 0 ? e : 1 - e];
                s.hold_back = 20 / step_mV;  // one second of samples
                curve_filtering::live_filter_state state;
                QVERIFY(state.pass(r.run.live(e), s, false));
                if (which == 0)
                    QCOMPARE(batch.values, state.shown().values);
                QVERIFY(state.pass(r.run.live(e), s, true));
                expected[which] = state.shown();
            }
            QCOMPARE(r.run.shown(e).values, expected[0].values);
            if (samples > 4 * curve_filtering::order_cap_we2)
                QVERIFY(r.run.shown(e).values != expected[1].values);   // the caps differ here, and so do the curves
        }
    }

    void a_raw_cut_off_shows_the_samples_unchanged()
    {
        sample_run r(30, 0.0f);
        QByteArray rx = r.stream;
        r.run.receive(rx);
        QVERIFY(r.run.pass(1, true));
        QCOMPARE(r.run.shown(1).values, r.run.live(1).values);
    }

    void the_end_frame_stops_the_batch_and_empties_the_buffer()
    {
        sample_run r(10, 0.5f);
        QByteArray rx = r.stream.left(4 * 2 * sample_frame_size) + encode_end_of_run_frame(sample_frame_size) +
                        r.stream.mid(4 * 2 * sample_frame_size);
        const decoded_batch b = r.run.receive(rx);
        QVERIFY(b.end_of_run);
        QVERIFY(rx.isEmpty());
        QCOMPARE(r.run.live_count(0), 4);
        QCOMPARE(r.run.live_count(1), 4);
    }
};

QTEST_MAIN(live_run_test)
#include "live_run_test.moc"
