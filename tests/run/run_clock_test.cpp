// Duration estimate and run clock: hand-checked estimates, zero divisors, the form's maxima, ticking to the end.
#include "run/run_clock.h"

#include <QtTest>
#include <climits>

namespace {

method_pages cv_pages(int er1, int er2, int ei, int rate, int repeat)
{
    method_pages p;
    p.cv.er1_mV = er1;
    p.cv.er2_mV = er2;
    p.cv.ei_mV = ei;
    p.cv.ei_equals_er1 = false;
    p.cv.rate_mV_s = rate;
    p.cv.repeat = repeat;
    return p;
}

} // namespace

class run_clock_test : public QObject {
    Q_OBJECT
private slots:
    void cyclic_estimates()
    {
        // (2000 + 2000) / 20 + (4000 / 20) x 2 = 600 s
        method_pages p = cv_pages(-1000, 1000, -1000, 20, 3);
        QCOMPARE(estimate_remaining_s(method_index::cyclic, p, 0), clock_seconds(600));
        QCOMPARE(clock_text(estimate_remaining_s(method_index::cyclic, p, 0)), QStringLiteral("10:00"));
        // 133.33 + 133 x 2 = 399.33, truncated
        p.cv.rate_mV_s = 30;
        QCOMPARE(estimate_remaining_s(method_index::cyclic, p, 0), clock_seconds(399));
        QCOMPARE(clock_text(399), QStringLiteral("6:39"));
        // The lead time is added after truncation.
        QCOMPARE(estimate_remaining_s(method_index::cyclic, p, 7), clock_seconds(406));
        // Starting at 0 mV: (1000 + 2000) / 20 = 150 s for one cycle.
        p = cv_pages(-1000, 1000, 0, 20, 1);
        QCOMPARE(method_run_seconds(method_index::cyclic, p), uint64_t(150));
        // Tied to Er1, the Ei box's stale value does not count.
        p.cv.ei_equals_er1 = true;
        QCOMPARE(method_run_seconds(method_index::cyclic, p), uint64_t(200));
        // A repeat of 0 (never from the form) adds no cycles instead of subtracting one.
        p = cv_pages(-1000, 1000, -1000, 20, 0);
        QCOMPARE(method_run_seconds(method_index::cyclic, p), uint64_t(200));
    }

    void estimate_per_method()
    {
        method_pages p;  // the form's starting values
        QCOMPARE(method_run_seconds(method_index::differential_pulse, p), uint64_t(20));  // 2000 / 2 x 20 ms
        QCOMPARE(method_run_seconds(method_index::square_wave, p), uint64_t(50));         // 2000 / 2 / 20
        QCOMPARE(method_run_seconds(method_index::linear_sweep, p), uint64_t(100));       // 2000 / 20
        QCOMPARE(method_run_seconds(method_index::normal_pulse, p), uint64_t(2));         // 2000 / 10 x 10 ms
        QCOMPARE(method_run_seconds(method_index::chronoamperometry, p), uint64_t(0));    // 200 ms
        QCOMPARE(method_run_seconds(method_index::amperometry, p), uint64_t(0));          // 20 ms

        // Direction does not matter.
        p.lsv.ei_mV = 1000;
        p.lsv.ef_mV = -1000;
        QCOMPARE(method_run_seconds(method_index::linear_sweep, p), uint64_t(100));

        // Exact arithmetic: 3 steps of 30 ms would be 0.09 s per step in floating point; 100 steps x 30 ms = 3 s.
        p.npv = npv_parameters{0, 300, 3, 5, 30};
        QCOMPARE(method_run_seconds(method_index::normal_pulse, p), uint64_t(3));
        p.dpv = dpv_parameters{0, 999, 3, 10, 3, 50};
        QCOMPARE(method_run_seconds(method_index::differential_pulse, p), uint64_t(0));   // 333 x 3 ms = 0.999 s

        p.chrono.t1_ms = 1500;
        p.chrono.steps = 3;
        QCOMPARE(method_run_seconds(method_index::chronoamperometry, p), uint64_t(4));    // 4.5 s
        p.ampero.run_time_ms = 1999;
        QCOMPARE(method_run_seconds(method_index::amperometry, p), uint64_t(1));
        QCOMPARE(estimate_remaining_s(method_index::amperometry, p, 3), clock_seconds(4));
        p.ampero.run_time_ms = -5;
        QCOMPARE(method_run_seconds(method_index::amperometry, p), uint64_t(0));
    }

    void zero_divisors_give_no_estimate()
    {
        method_pages p;
        p.cv.rate_mV_s = 0;
        QCOMPARE(method_run_seconds(method_index::cyclic, p), uint64_t(0));
        p.dpv.step_mV = 0;
        QCOMPARE(method_run_seconds(method_index::differential_pulse, p), uint64_t(0));
        p.swv.freq_Hz = 0;
        QCOMPARE(method_run_seconds(method_index::square_wave, p), uint64_t(0));
        p.swv.freq_Hz = 20;
        p.swv.step_mV = 0;
        QCOMPARE(method_run_seconds(method_index::square_wave, p), uint64_t(0));
        p.lsv.rate_mV_s = 0;   // the form allows it
        QCOMPARE(method_run_seconds(method_index::linear_sweep, p), uint64_t(0));
        p.npv.step_mV = 0;     // the form allows it
        QCOMPARE(method_run_seconds(method_index::normal_pulse, p), uint64_t(0));
        p.npv.step_mV = 10;
        p.npv.period_ms = 0;   // the form allows it: no time per step
        QCOMPARE(method_run_seconds(method_index::normal_pulse, p), uint64_t(0));
        p.cv.rate_mV_s = -4;   // negative divisors are no better
        QCOMPARE(method_run_seconds(method_index::cyclic, p), uint64_t(0));
        // Only the lead time is left to count.
        p.lsv.rate_mV_s = 0;
        QCOMPARE(estimate_remaining_s(method_index::linear_sweep, p, 9), clock_seconds(9));
    }

    void no_estimate_during_a_run_or_for_no_method()
    {
        method_pages p;
        const auto idle = idle_estimate(false, 3, p, 2);
        QVERIFY(idle);
        QCOMPARE(idle->remaining_s, clock_seconds(102));
        QCOMPARE(idle->elapsed_s, clock_seconds(0));
        // A parameter changed during a run leaves the clock alone.
        p.lsv.rate_mV_s = 1;
        QVERIFY(!idle_estimate(true, 3, p, 2));
        // No method chosen (-1) or one past the last: the last estimate stands.
        QVERIFY(!idle_estimate(false, -1, p, 2));
        QVERIFY(!idle_estimate(false, 7, p, 2));
        QCOMPARE(idle_estimate(false, 6, p, 2)->remaining_s, clock_seconds(2));
    }

    void longest_runs_the_form_allows()
    {
        method_pages p;
        p.ampero.run_time_ms = 65000000;
        QCOMPARE(estimate_remaining_s(method_index::amperometry, p, 255), clock_seconds(65255));

        p.chrono.t1_ms = 65538;
        p.chrono.steps = 65535;
        // 65538 x 65535 = 4,295,032,830 ms: past 32-bit milliseconds and far past 16-bit seconds.
        QCOMPARE(method_run_seconds(method_index::chronoamperometry, p), uint64_t(4295032));
        QCOMPARE(estimate_remaining_s(method_index::chronoamperometry, p, 255), clock_seconds(4295032 + 255));

        p = cv_pages(-2000, 2000, -2000, 1, 99);  // 4000 + 4000 mV at 1 mV/s, then 98 further cycles of 8000 s
        QCOMPARE(method_run_seconds(method_index::cyclic, p), uint64_t(8000 + 8000 * 98));

        p.dpv = dpv_parameters{-2000, 2000, 2, 1, 10000, 0};
        QCOMPARE(method_run_seconds(method_index::differential_pulse, p), uint64_t(20000));
        p.npv = npv_parameters{-2000, 2000, 1, 3, 2000};
        QCOMPARE(method_run_seconds(method_index::normal_pulse, p), uint64_t(8000));
        p.lsv = lsv_parameters{-2000, 2000, 1};
        QCOMPARE(method_run_seconds(method_index::linear_sweep, p), uint64_t(4000));
        p.swv = swv_parameters{-2000, 2000, 2, 2, 0};
        QCOMPARE(method_run_seconds(method_index::square_wave, p), uint64_t(1000));
    }

    void estimate_saturates()
    {
        method_pages p;
        p.ampero.run_time_ms = INT64_MAX;
        QCOMPARE(estimate_remaining_s(method_index::amperometry, p, 255), clock_seconds_max);
        p.chrono.t1_ms = INT_MAX;
        p.chrono.steps = INT_MAX;
        QCOMPARE(method_run_seconds(method_index::chronoamperometry, p), uint64_t(INT_MAX) * uint64_t(INT_MAX) / 1000);
        QCOMPARE(estimate_remaining_s(method_index::chronoamperometry, p, 0), clock_seconds_max);
        p = cv_pages(INT_MIN, INT_MAX, INT_MIN, 1, INT_MAX);
        const uint64_t cyc = method_run_seconds(method_index::cyclic, p);
        QVERIFY(cyc > uint64_t(UINT32_MAX));
        QCOMPARE(estimate_remaining_s(method_index::cyclic, p, 1), clock_seconds_max);
        p.npv = npv_parameters{INT_MIN, INT_MAX, 1, 3, INT_MAX};
        QCOMPARE(estimate_remaining_s(method_index::normal_pulse, p, 0), clock_seconds_max);
    }

    void clock_text_forms()
    {
        QCOMPARE(clock_text(0), QStringLiteral("0:00"));
        QCOMPARE(clock_text(7), QStringLiteral("0:07"));
        QCOMPARE(clock_text(83), QStringLiteral("1:23"));
        QCOMPARE(clock_text(720), QStringLiteral("12:00"));
        QCOMPARE(clock_text(3599), QStringLiteral("59:59"));
        QCOMPARE(clock_text(3600), QStringLiteral("60:00"));
        QCOMPARE(clock_text(4295032), QStringLiteral("71583:52"));
        QCOMPARE(clock_text(clock_seconds_max), QStringLiteral("71582788:15"));

        const clock_display idle = idle_display(clock_from_estimate(600));
        QCOMPARE(idle.elapsed_text, QStringLiteral("0:00"));
        QCOMPARE(idle.remaining_text, QStringLiteral("10:00"));
        QCOMPARE(idle.progress, std::optional<int>(0));
    }

    void three_second_run_ticks_to_the_end()
    {
        run_clock_counters c = clock_from_estimate(3);
        QCOMPARE(c.elapsed_s, clock_seconds(0));
        const QStringList remaining = {"0:02", "0:01", "0:00"};
        const QStringList elapsed = {"0:01", "0:02", "0:03"};
        const int progress[] = {33, 66, 100};
        for (int i = 0; i < 3; ++i) {
            const clock_tick t = tick_run_clock(c);
            QCOMPARE(t.display.remaining_text, remaining[i]);
            QCOMPARE(t.display.elapsed_text, elapsed[i]);
            QCOMPARE(t.display.progress, std::optional<int>(progress[i]));
            c = t.counters;
        }
        QCOMPARE(c.remaining_s, clock_seconds(0));
        QCOMPARE(c.elapsed_s, clock_seconds(3));
    }

    void elapsed_keeps_counting_after_zero()
    {
        run_clock_counters c = clock_from_estimate(0);
        clock_tick t;
        for (int i = 0; i < 61; ++i) {
            t = tick_run_clock(c);
            // Nothing left: the progress bar is not touched and the remaining time does not wrap round.
            QVERIFY(!t.display.progress.has_value());
            QCOMPARE(t.display.remaining_text, QStringLiteral("0:00"));
            c = t.counters;
        }
        QCOMPARE(t.display.elapsed_text, QStringLiteral("1:01"));
        QCOMPARE(c.elapsed_s, clock_seconds(61));
    }

    void long_run_counters_do_not_wrap()
    {
        // The longest amperometric run with the longest lead time, ticked to its end: progress never goes back,
        // and the counters pass 65535 without wrapping.
        run_clock_counters c = clock_from_estimate(65255);
        int last_progress = 0;
        for (int i = 0; i < 65255; ++i) {
            const clock_tick t = tick_run_clock(c);
            QVERIFY(t.display.progress.has_value());
            if (*t.display.progress < last_progress)
                QFAIL(qPrintable(QStringLiteral("progress fell from %1 to %2 at tick %3")
                                     .arg(last_progress).arg(*t.display.progress).arg(i)));
            last_progress = *t.display.progress;
            c = t.counters;
        }
        QCOMPARE(last_progress, 100);
        QCOMPARE(c.remaining_s, clock_seconds(0));
        QCOMPARE(c.elapsed_s, clock_seconds(65255));
        c = tick_run_clock(tick_run_clock(c).counters).counters;
        QCOMPARE(c.elapsed_s, clock_seconds(65257));

        // Half-way through the longest chronoamperometry, and its last second.
        const clock_seconds chrono = 4295032 + 255;
        c = run_clock_counters{2147644, 2147643};
        QCOMPARE(c.remaining_s + c.elapsed_s, chrono);
        clock_tick t = tick_run_clock(c);
        QCOMPARE(t.display.progress, std::optional<int>(50));
        QCOMPARE(t.counters.remaining_s, clock_seconds(2147643));
        QCOMPARE(t.counters.elapsed_s, clock_seconds(2147644));
        QCOMPARE(t.display.elapsed_text, QStringLiteral("35794:04"));
        t = tick_run_clock(run_clock_counters{1, chrono - 1});
        QCOMPARE(t.display.progress, std::optional<int>(100));
        QCOMPARE(t.counters.remaining_s, clock_seconds(0));
        QCOMPARE(t.counters.elapsed_s, chrono);
        QCOMPARE(t.display.elapsed_text, QStringLiteral("71588:07"));
        // Early on a long run the bar shows 0, not a wrapped figure.
        t = tick_run_clock(clock_from_estimate(chrono));
        QCOMPARE(t.display.progress, std::optional<int>(0));
        QCOMPARE(t.counters.remaining_s, chrono - 1);
    }

    void counters_stop_at_their_maximum()
    {
        clock_tick t = tick_run_clock(run_clock_counters{0, clock_seconds_max});
        QCOMPARE(t.counters.elapsed_s, clock_seconds_max);
        t = tick_run_clock(run_clock_counters{clock_seconds_max, 0});
        QCOMPARE(t.counters.remaining_s, clock_seconds_max - 1);
        QCOMPARE(t.display.progress, std::optional<int>(0));
        QCOMPARE(progress_percent(clock_seconds_max - 1, clock_seconds_max), 50);  // no overflow in the sum
        QCOMPARE(progress_percent(clock_seconds_max, 0), 100);
    }
};

QTEST_GUILESS_MAIN(run_clock_test)
#include "run_clock_test.moc"
