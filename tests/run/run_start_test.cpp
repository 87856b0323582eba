// Start: refusals, the default experiment name, and the fields a new record takes from the form.
#include "run/run_start.h"

#include <QtTest>

namespace {

std::array<bool, 7> checked(int mode)
{
    std::array<bool, 7> c{};
    if (mode >= 0)
        c[size_t(mode)] = true;
    return c;
}

} // namespace

class run_start_test : public QObject {
    Q_OBJECT
private slots:
    void default_name()
    {
        QCOMPARE(default_experiment_name(QDate(2019, 3, 9)), QStringLiteral("New_Experiment_20190309"));
        QCOMPARE(default_experiment_name(QDate(2030, 12, 25)), QStringLiteral("New_Experiment_20301225"));
    }

    void refusals()
    {
        const method_pages pages;
        for (int m = 0; m < 7; ++m) {
            const auto method = static_cast<method_index>(m);
            QCOMPARE(check_run_start(false, method, pages, true, true), start_refusal::none);
            QCOMPARE(check_run_start(false, method, pages, true, false), start_refusal::none);
            QCOMPARE(check_run_start(false, method, pages, false, true), start_refusal::none);
            QCOMPARE(check_run_start(false, method, pages, false, false), start_refusal::no_electrode);
            // A full store is refused first, whatever else is wrong.
            QCOMPARE(check_run_start(true, method, pages, false, false), start_refusal::records_full);
            QCOMPARE(check_run_start(true, method, pages, true, true), start_refusal::records_full);
        }
        // The pulse check looks at the method being started only.
        method_pages bad;
        bad.dpv.width_ms = 50;
        bad.dpv.period_ms = 20;
        bad.npv.width_ms = 50;
        bad.npv.period_ms = 0;
        QCOMPARE(check_run_start(false, method_index::cyclic, bad, true, true), start_refusal::none);
        QCOMPARE(check_run_start(false, method_index::square_wave, bad, true, true), start_refusal::none);
        QCOMPARE(check_run_start(false, method_index::differential_pulse, bad, true, true),
                 start_refusal::pulse_width_too_long);
        QCOMPARE(check_run_start(false, method_index::normal_pulse, bad, true, true),
                 start_refusal::pulse_width_too_long);
        // No electrode is reported before the pulse.
        QCOMPARE(check_run_start(false, method_index::normal_pulse, bad, false, false), start_refusal::no_electrode);
    }

    void pulse_width_against_period_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("period");
        QTest::addColumn<bool>("refused");
        QTest::newRow("dpv default") << 1 << 10 << 20 << false;
        QTest::newRow("dpv one shorter") << 1 << 19 << 20 << false;
        QTest::newRow("dpv equal") << 1 << 20 << 20 << true;
        QTest::newRow("dpv longer") << 1 << 21 << 20 << true;
        QTest::newRow("dpv smallest") << 1 << 1 << 1 << true;
        QTest::newRow("dpv widest") << 1 << 10000 << 10000 << true;
        QTest::newRow("dpv 9999 of 10000") << 1 << 9999 << 10000 << false;
        QTest::newRow("npv default") << 4 << 5 << 10 << false;
        QTest::newRow("npv period 0") << 4 << 3 << 0 << true;
        QTest::newRow("npv equal") << 4 << 2000 << 2000 << true;
        QTest::newRow("npv 3 of 4") << 4 << 3 << 4 << false;
    }

    void pulse_width_against_period()
    {
        QFETCH(int, method);
        QFETCH(int, width);
        QFETCH(int, period);
        QFETCH(bool, refused);
        method_pages p;
        p.dpv.width_ms = p.npv.width_ms = width;
        p.dpv.period_ms = p.npv.period_ms = period;
        const start_refusal r = check_run_start(false, static_cast<method_index>(method), p, true, false);
        QCOMPARE(r, refused ? start_refusal::pulse_width_too_long : start_refusal::none);
    }

    void refusal_texts()
    {
        QVERIFY(start_refusal_text(start_refusal::none).isEmpty());
        QCOMPARE(start_refusal_text(start_refusal::records_full),
                 QStringLiteral("You have reached maximum number of experiments!"));
        const QString electrode = start_refusal_text(start_refusal::no_electrode);
        const QString pulse = start_refusal_text(start_refusal::pulse_width_too_long);
        QVERIFY(electrode.contains(QStringLiteral("electrode")));
        QVERIFY(pulse.contains(QStringLiteral("width")) && pulse.contains(QStringLiteral("period")));
        for (start_refusal r :
             {start_refusal::records_full, start_refusal::no_electrode, start_refusal::pulse_width_too_long})
            QCOMPARE(start_refusal_title(r), QStringLiteral("Error"));
    }

    void rate_figures()
    {
        method_pages p;
        QCOMPARE(record_rate(method_index::cyclic, p), uint16_t(20));
        p.dpv.period_ms = 300;
        QCOMPARE(record_rate(method_index::differential_pulse, p), uint16_t(3));  // 1000 / 300 truncated
        p.dpv.period_ms = 1;
        QCOMPARE(record_rate(method_index::differential_pulse, p), uint16_t(1000));
        p.dpv.period_ms = 10000;
        QCOMPARE(record_rate(method_index::differential_pulse, p), uint16_t(0));
        QCOMPARE(record_rate(method_index::square_wave, p), uint16_t(20));
        p.lsv.rate_mV_s = 0;
        QCOMPARE(record_rate(method_index::linear_sweep, p), uint16_t(0));
        QCOMPARE(record_rate(method_index::normal_pulse, p), uint16_t(100));
        p.npv.period_ms = 0;
        QCOMPARE(record_rate(method_index::normal_pulse, p), uint16_t(0));
        p.chrono.t1_ms = 65535;
        QCOMPARE(record_rate(method_index::chronoamperometry, p), uint16_t(65535));
        p.chrono.t1_ms = 65538;   // the form's top: held, not wrapped to 2
        QCOMPARE(record_rate(method_index::chronoamperometry, p), uint16_t(65535));
        p.ampero.run_time_ms = 1999;
        QCOMPARE(record_rate(method_index::amperometry, p), uint16_t(1999));
        p.ampero.run_time_ms = 65000000;
        QCOMPARE(record_rate(method_index::amperometry, p), uint16_t(65535));
    }

    void fields_at_start()
    {
        method_pages p;
        p.cv.repeat = 3;
        const QStringList names = {"Cyclic Voltammetry",       "Diff. Pulse Voltammetry",  "Square Wave Voltammetry",
                                   "Linear Sweep Voltammetry", "Normal Pulse Voltammetry", "Chronoamperometry",
                                   "Amperometric"};
        for (int m = 0; m < 7; ++m) {
            const start_record_fields f =
                record_fields_at_start(static_cast<method_index>(m), p, true, false, checked(0));
            QCOMPARE(f.method, names[m]);
            QCOMPARE(f.cycles, uint16_t(3));
            QCOMPARE(f.rate, record_rate(static_cast<method_index>(m), p));
            QCOMPARE(f.ch1_shown, uint8_t(1));
            QCOMPARE(f.ch2_shown, uint8_t(0));
        }
        const start_record_fields both = record_fields_at_start(method_index::cyclic, p, false, true, checked(0));
        QCOMPARE(both.ch1_shown, uint8_t(0));
        QCOMPARE(both.ch2_shown, uint8_t(1));
    }

    void cutoff_at_start()
    {
        method_pages p;
        // Automatic: chronoamperometry records raw data, amperometry 5 Hz, cyclic at 20 mV/s (r = 1) 1 Hz.
        QCOMPARE(record_fields_at_start(method_index::chronoamperometry, p, true, true, checked(0)).filter_hz, 0.0f);
        QCOMPARE(record_fields_at_start(method_index::amperometry, p, true, true, checked(0)).filter_hz, 5.0f);
        QCOMPARE(record_fields_at_start(method_index::cyclic, p, true, true, checked(0)).filter_hz, 1.0f);
        // Automatic with a normal-pulse period of 0 must not divide by it.
        p.npv.period_ms = 0;
        const float npv = record_fields_at_start(method_index::normal_pulse, p, true, true, checked(0)).filter_hz;
        QVERIFY(std::isfinite(npv));
        // Fixed choices win over the method; nothing checked means 0.5 Hz.
        QCOMPARE(record_fields_at_start(method_index::amperometry, p, true, true, checked(1)).filter_hz, 0.0f);
        QCOMPARE(record_fields_at_start(method_index::chronoamperometry, p, true, true, checked(6)).filter_hz, 10.0f);
        QCOMPARE(record_fields_at_start(method_index::cyclic, p, true, true, checked(-1)).filter_hz, 0.5f);
    }
};

QTEST_GUILESS_MAIN(run_start_test)
#include "run_start_test.moc"
