// Method page rules: potential-step units, scan-rate limits, Ei tied to Er1, method change, settings lines.
#include "run/method_setup.h"

#include "files/protocol_file.h"

#include <QtTest>

Q_DECLARE_METATYPE(scan_step_box)

namespace {

const scan_step_box uV_box{736, 737, 736, QStringLiteral("uV")};

scan_step_box mV_box(int value) { return scan_step_box{0, 99, value, QStringLiteral("mV")}; }

QStringList settings(std::initializer_list<std::pair<int, QString>> set)
{
    QStringList lines;
    for (int i = 0; i < 17; ++i)
        lines << QStringLiteral("0");
    lines[0] = QStringLiteral("alice");
    lines[1] = QStringLiteral("1");
    lines[2] = QString();
    lines[7] = QStringLiteral("Tangent");
    for (const auto &kv : set)
        lines[kv.first] = kv.second;
    return lines;
}

} // namespace

class method_setup_test : public QObject {
    Q_OBJECT
private slots:
    void method_indexes()
    {
        for (int i = 0; i < 7; ++i)
            QCOMPARE(int(*method_from_index(i)), i);
        QVERIFY(!method_from_index(-1));
        QVERIFY(!method_from_index(7));
        QVERIFY(!method_from_index(255));
    }

    void step_box_for_requests_data()
    {
        QTest::addColumn<int>("requested");
        QTest::addColumn<scan_step_box>("box");
        QTest::newRow("stepped below 1 mV") << 0 << uV_box;
        QTest::newRow("negative from a damaged file") << -3 << uV_box;
        QTest::newRow("stored 736") << 736 << uV_box;
        QTest::newRow("stepped up from 736") << 737 << mV_box(1);
        QTest::newRow("1 mV") << 1 << mV_box(1);
        QTest::newRow("99 mV") << 99 << mV_box(99);
        QTest::newRow("100 clamps") << 100 << mV_box(99);
        QTest::newRow("255 from an old file") << 255 << mV_box(99);
        QTest::newRow("735") << 735 << mV_box(99);
        QTest::newRow("738") << 738 << mV_box(99);
    }

    void step_box_for_requests()
    {
        QFETCH(int, requested);
        QFETCH(scan_step_box, box);
        const scan_step_box got = scan_step_box_for(requested);
        QVERIFY2(got == box, qPrintable(QStringLiteral("%1..%2, %3 %4").arg(got.minimum).arg(got.maximum)
                                             .arg(got.value).arg(got.unit)));
        // The box's own value always lies in its range, so setting range then value never clamps it again.
        QVERIFY(got.value >= got.minimum && got.value <= got.maximum);
        // Applying the box's value once more changes nothing: the change handler settles.
        QVERIFY(scan_step_box_for(got.value) == got);
    }

    void rate_limit_follows_step_and_electrodes_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("we1");
        QTest::addColumn<bool>("we2");
        QTest::addColumn<int>("maximum");
        QTest::newRow("both, 2 mV") << 2 << true << true << 500;
        QTest::newRow("one, 736 uV") << 736 << true << false << 500;
        QTest::newRow("both, 736 uV") << 736 << true << true << 250;
        QTest::newRow("WE2 only, 1 mV") << 1 << false << true << 500;
        QTest::newRow("neither counts as one") << 1 << false << false << 500;
        QTest::newRow("one, 99 mV") << 99 << true << false << 49500;
        QTest::newRow("both, 99 mV") << 99 << true << true << 24750;
        QTest::newRow("step 0 on its way to 736") << 0 << true << true << 250;
        QTest::newRow("737 on its way to 1 mV") << 737 << true << false << 500;
        QTest::newRow("150 clamps to 99 mV") << 150 << true << false << 49500;
    }

    void rate_limit_follows_step_and_electrodes()
    {
        QFETCH(int, step);
        QFETCH(bool, we1);
        QFETCH(bool, we2);
        QFETCH(int, maximum);
        QCOMPARE(rate_limits_for(step, we1, we2, 20, 20).maximum, maximum);
    }

    void rates_are_lowered_not_raised()
    {
        // Scan_Rate at the form's top with both electrodes and 1 mV: lowered to 250; lsv_rate from 1000 too.
        rate_limits r = rate_limits_for(1, true, true, 400, 1000);
        QCOMPARE(r.maximum, 250);
        QCOMPARE(r.scan_rate, 250);
        QCOMPARE(r.lsv_rate, 250);
        // Rates under the limit stay; the bottom ends stay at their own minimum (Scan_Rate 1, lsv_rate 0).
        r = rate_limits_for(1, true, true, 20, 0);
        QCOMPARE(r.scan_rate, 20);
        QCOMPARE(r.lsv_rate, 0);
        r = rate_limits_for(1, true, false, 0, -5);
        QCOMPARE(r.scan_rate, 1);
        QCOMPARE(r.lsv_rate, 0);
        // A rate exactly at the limit is kept.
        r = rate_limits_for(2, true, true, 500, 500);
        QCOMPARE(r.scan_rate, 500);
        QCOMPARE(r.lsv_rate, 500);
        // Changing only the step lowers a rate the smaller step no longer allows.
        r = rate_limits_for(736, true, true, r.scan_rate, r.lsv_rate);
        QCOMPARE(r.scan_rate, 250);
        QCOMPARE(r.lsv_rate, 250);
    }

    void loaded_page_keeps_736_uV_step()
    {
        // Saved with the 0.736 mV step, loaded back: still 736 in uV, and written out again as 736.
        cv_parameters saved;
        saved.step = 736;
        const cv_page_load load = load_cv_page(saved, true, false, 20);
        QVERIFY(load.step_box == uV_box);
        QCOMPARE(load.values.step, 736);
        QCOMPARE(load_cv_page(load.values, true, false, 20).values.step, 736);
        // Through a protocol file and back.
        method_pages pages;
        pages.cv = load.values;
        const auto text = write_protocol(method_index::cyclic, pages, 0);
        QVERIFY(text);
        const auto read = read_protocol(*text, method_pages{}, 0);
        QVERIFY(read);
        const cv_page_load reloaded = load_cv_page(read->pages.cv, true, false, 20);
        QVERIFY(reloaded.step_box == uV_box);
        QCOMPARE(reloaded.values.step, 736);
        // A whole-mV step the same way.
        saved.step = 42;
        QCOMPARE(load_cv_page(saved, true, false, 20).values.step, 42);
        QVERIFY(load_cv_page(saved, true, false, 20).step_box == mV_box(42));
    }

    void loaded_page_limits_rates_by_new_step()
    {
        // Both electrodes; the page held 1 mV (limit 250). The loaded page has a 2 mV step and 400 mV/s:
        // the 2 mV limit (500) applies, so 400 stays.
        cv_parameters loaded;
        loaded.step = 2;
        loaded.rate_mV_s = 400;
        cv_page_load load = load_cv_page(loaded, true, true, 1000);
        QCOMPARE(load.limits.maximum, 500);
        QCOMPARE(load.values.rate_mV_s, 400);
        QCOMPARE(load.limits.lsv_rate, 500);
        // The 0.736 mV step with both electrodes allows 250: the loaded rate is lowered to it.
        loaded.step = 736;
        load = load_cv_page(loaded, true, true, 100);
        QCOMPARE(load.limits.maximum, 250);
        QCOMPARE(load.values.rate_mV_s, 250);
        QCOMPARE(load.limits.lsv_rate, 100);
    }

    void loaded_page_clamps_to_form()
    {
        cv_parameters loaded;
        loaded.er1_mV = -5000;
        loaded.er2_mV = 5000;
        loaded.ei_mV = 9999;
        loaded.ei_equals_er1 = false;
        loaded.repeat = 0;
        loaded.rate_mV_s = 0;
        loaded.step = 0;   // a missing protocol line reads as 0
        cv_page_load load = load_cv_page(loaded, true, false, 20);
        QCOMPARE(load.values.er1_mV, -2000);
        QCOMPARE(load.values.er2_mV, 2000);
        QCOMPARE(load.values.ei_mV, 2000);
        QVERIFY(load.ei_enabled);
        QCOMPARE(load.values.repeat, 1);
        QCOMPARE(load.values.rate_mV_s, 1);
        QCOMPARE(load.values.step, 736);
        loaded.repeat = 500;
        loaded.ei_equals_er1 = true;
        load = load_cv_page(loaded, true, false, 20);
        QCOMPARE(load.values.repeat, 99);
        QCOMPARE(load.values.ei_mV, -2000);  // tied to the clamped Er1
        QVERIFY(!load.ei_enabled);
    }

    void method_change_view()
    {
        std::array<uint8_t, method_count> choice{};
        choice[5] = 3;
        choice[6] = 9;  // not a mode
        auto v = method_view_for(5, choice);
        QVERIFY(v);
        QCOMPARE(v->page, 5);
        QCOMPARE(v->filter_mode, 3);
        v = method_view_for(0, choice);
        QCOMPARE(v->page, 0);
        QCOMPARE(v->filter_mode, 0);
        QCOMPARE(method_view_for(6, choice)->filter_mode, 0);
        QVERIFY(!method_view_for(7, choice));
        QVERIFY(!method_view_for(-1, choice));
    }

    void settings_lines_applied()
    {
        const run_screen_settings s = run_screen_settings_from(
            settings({{3, "0"}, {4, "1"}, {5, "6"}, {6, "4"}, {9, "1"}, {16, "3"}}));
        QCOMPARE(s.we1, std::optional<bool>(false));
        QCOMPARE(s.we2, std::optional<bool>(true));
        QCOMPARE(s.range_index, std::optional<int>(6));
        QVERIFY(s.method == method_index::normal_pulse);
        QCOMPARE(s.overlay, std::optional<bool>(true));
        QCOMPARE(s.filter_mode, std::optional<int>(3));  // 1 Hz

        // Any number other than 0 ticks a box; text that is no number reads as 0.
        const run_screen_settings t = run_screen_settings_from(settings({{3, "2"}, {4, "yes"}, {9, "-1"}, {6, "0"}}));
        QCOMPARE(t.we1, std::optional<bool>(true));
        QCOMPARE(t.we2, std::optional<bool>(false));
        QCOMPARE(t.overlay, std::optional<bool>(true));
        QVERIFY(t.method == method_index::cyclic);
    }

    void settings_lines_out_of_range_ignored()
    {
        for (const QString &bad : {QStringLiteral("7"), QStringLiteral("-1"), QStringLiteral("255")}) {
            const run_screen_settings s = run_screen_settings_from(settings({{5, bad}, {6, bad}, {16, bad}}));
            QVERIFY2(!s.method, qPrintable(bad));
            QVERIFY2(!s.range_index, qPrintable(bad));
            QVERIFY2(!s.filter_mode, qPrintable(bad));
        }
        const run_screen_settings s = run_screen_settings_from(settings({{6, "6"}, {16, "6"}, {5, "0"}}));
        QVERIFY(s.method == method_index::amperometry);
        QCOMPARE(s.filter_mode, std::optional<int>(6));
        QCOMPARE(s.range_index, std::optional<int>(0));
    }

    void settings_short_file()
    {
        // A file only the log-in has written: nothing applies.
        run_screen_settings s = run_screen_settings_from(QStringList{"alice", "1"});
        QVERIFY(!s.we1 && !s.we2 && !s.range_index && !s.method && !s.overlay && !s.filter_mode);
        QCOMPARE(extra_time_from(QStringList{"alice", "1"}), uint8_t(0));
        // Ten lines: 3..6 and 9 apply, 16 does not.
        QStringList lines = settings({{6, "2"}});
        lines = lines.mid(0, 10);
        s = run_screen_settings_from(lines);
        QVERIFY(s.method == method_index::square_wave);
        QVERIFY(s.overlay);
        QVERIFY(!s.filter_mode);
    }

    void extra_time_line()
    {
        QCOMPARE(extra_time_from(settings({{15, "5"}})), uint8_t(5));
        QCOMPARE(extra_time_from(settings({{15, "7\tseconds"}})), uint8_t(7));
        QCOMPARE(extra_time_from(settings({{15, "99"}})), uint8_t(99));
        QCOMPARE(extra_time_from(settings({{15, "255"}})), uint8_t(255));
        QCOMPARE(extra_time_from(settings({{15, "300"}})), uint8_t(255));  // not 44
        QCOMPARE(extra_time_from(settings({{15, "-3"}})), uint8_t(0));     // not 253
        QCOMPARE(extra_time_from(settings({{15, "soon"}})), uint8_t(0));
        QCOMPARE(extra_time_from(settings({{15, ""}})), uint8_t(0));
    }
};

QTEST_GUILESS_MAIN(method_setup_test)
#include "method_setup_test.moc"
