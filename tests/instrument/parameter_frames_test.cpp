// Parameter frames of all seven methods byte by byte, their details lines, record fields and axis ranges,
// and reading frames back with the simulated instrument's parser.
#include "instrument/parameter_frames.h"
#include "support/frame_codec.h"
#include "support/method_rows.h"

#include <QtTest>

namespace {

using bytes20 = std::array<uint8_t, 20>;

bytes20 frame_of(std::initializer_list<int> values)
{
    bytes20 f{};
    size_t i = 0;
    for (int v : values)
        f[i++] = uint8_t(v);
    return f;
}

QString hex(const bytes20 &f)
{
    QStringList parts;
    for (uint8_t b : f)
        parts << QString::asprintf("%02X", b);
    return parts.join(' ');
}

details_context sample_context()
{
    details_context ctx;
    ctx.filter_hz = 0.5f;
    ctx.started = QDateTime(QDate(2019, 3, 9), QTime(7, 5, 3));
    ctx.user = QStringLiteral("ayse");
    ctx.device_id = 7;
    return ctx;
}

run_settings settings(bool we1, bool we2, int range_index, uint8_t extra_time_s)
{
    return run_settings{we1, we2, range_index, extra_time_s};
}

const QStringList common_tail = {QStringLiteral("Filter: 0.5Hz"), QStringLiteral("Date: 2019-03-09  07:05:03"),
                                 QStringLiteral("User: ayse"), QStringLiteral("Device ID: RZ410-K260507")};

}  // namespace

class test_parameter_frames : public QObject {
    Q_OBJECT

private slots:
    void golden_cyclic_frame()
    {
        const cv_parameters p{-1000, 1000, -1000, true, 20, 1, step_736_uV};
        const parameter_frame_result r = build_cv_frame(p, settings(true, true, 2, 0), sample_context());
        QCOMPARE(hex(r.frame), hex(frame_of({0x32, 0x10, 0x14, 0x00, 0xE8, 0x13, 0xE8, 0x13, 0xE8, 0x03, 0x00, 0x00,
                                              0x00, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01})));
        QCOMPARE(int(r.channel_code), 3);
        QCOMPARE(int(r.resolution), 736);
    }

    void field_codes()
    {
        const std::pair<int, int> potentials[] = {{0, 0x0000},     {-1, 0x1001},     {1000, 0x03E8},
                                                  {-1000, 0x13E8}, {2000, 0x07D0}, {-2000, 0x17D0}};
        for (const auto &p : potentials)
            QCOMPARE(sign_magnitude_potential(p.first), uint16_t(p.second));
        for (int mV = -2000; mV <= 2000; ++mV)
            QCOMPARE(potential_from_sign_magnitude(sign_magnitude_potential(mV)), mV);

        QCOMPARE(int(channel_mask(true, true)), 0x30);
        QCOMPARE(int(channel_mask(true, false)), 0x10);
        QCOMPARE(int(channel_mask(false, true)), 0x20);
        QCOMPARE(int(channel_mask(false, false)), 0x20);

        // The smallest range ("2.25", index 6) gets a code of its own, not a neighbour's or garbage.
        const int codes[7] = {8, 12, 16, 20, 24, 28, 32};
        for (int i = 0; i < 7; ++i)
            QCOMPARE(int(range_code(i)), codes[i]);
        QCOMPARE(int(range_code(-1)), 8);
        QCOMPARE(int(range_code(99)), 32);

        const std::pair<int, int> amplitudes[] = {{50, 67}, {100, 135}, {25, 33}, {0, 0}, {1, 1}};
        for (const auto &a : amplitudes)
            QCOMPARE(int(amplitude_code(a.first)), a.second);

        QCOMPARE(int(resolution_byte(step_736_uV)), 0);
        QCOMPARE(int(resolution_byte(5)), 5);
        QCOMPARE(int(resolution_byte(99)), 99);

        // Beyond what the wire carries the values saturate: a potential keeps its sign, an amplitude its range.
        QCOMPARE(sign_magnitude_potential(-5000), uint16_t(0x1FFF));
        QCOMPARE(sign_magnitude_potential(4096), uint16_t(0x0FFF));
        QCOMPARE(int(amplitude_code(-50)), 0);
        QCOMPARE(int(amplitude_code(60000)), 0xFFFF);
    }

    // Every field at both ends of an int: the encoder is the last guard before the instrument, so each
    // field saturates to what it can carry (width is set against the period to push period - width out too).
    void fields_saturate_at_their_extremes_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<bool>("high");
        QTest::addColumn<QString>("frame");
        const char *rows[][3] = {
            {"0", "32 10 00 00 FF 1F FF 1F FF 1F 00 00 00 00 00 00 00 00 00 00",
             "32 10 FF FF FF 0F FF 0F FF 0F 00 00 FF FF FF FF FF FF FF FF"},
            {"1", "34 10 FF 1F FF 1F 00 00 00 00 00 FF FF 00 00 00 00 00 00 00",
             "34 10 FF 0F FF 0F 00 00 FF FF FF 00 00 FF FF FF 00 00 00 00"},
            {"2", "38 10 FF 1F FF 1F 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
             "38 10 FF 0F FF 0F 00 00 FF FF FF FF FF FF 00 00 00 00 00 00"},
            {"3", "3C 10 00 00 00 00 FF 1F FF 1F 00 00 00 00 00 00 00 00 00 00",
             "3C 10 FF FF 00 00 FF 0F FF 0F FF FF FF FF FF FF FF FF FF FF"},
            {"4", "36 10 FF FF 00 00 00 00 FF 1F FF 1F 00 00 00 00 00 00 00 00",
             "36 10 00 00 FF FF FF FF FF 0F FF 0F FF 00 00 00 00 00 00 00"},
            {"5", "3A 10 FF 1F FF 1F FF 1F 00 00 00 00 00 00 00 00 00 00 0A 00",
             "3A 10 FF 0F FF 0F FF 0F 00 00 FF FF FF 7F FF FF FF 00 0A 00"},
            {"6", "33 10 00 00 00 00 FF 1F 0A 0A 0A 0A 00 00 00 00 00 00 00 00",
             "33 10 FF FF FF FF FF 0F 0A 0A 0A 0A 00 00 00 00 00 00 00 00"},
        };
        for (const auto &row : rows) {
            QTest::addRow("%s low", row[0]) << QString(row[0]).toInt() << false << QString(row[1]);
            QTest::addRow("%s high", row[0]) << QString(row[0]).toInt() << true << QString(row[2]);
        }
    }
    void fields_saturate_at_their_extremes()
    {
        QFETCH(int, method);
        QFETCH(bool, high);
        QFETCH(QString, frame);
        const int v = high ? INT_MAX : INT_MIN;
        const int w = high ? INT_MIN : INT_MAX;
        method_pages p;
        p.cv = {v, v, v, false, v, v, v};
        p.dpv = {v, v, v, w, v, v};
        p.swv = {v, v, v, v, v};
        p.lsv = {v, v, v};
        p.npv = {v, v, v, w, v};
        p.chrono = {v, v, v, v, v};
        p.ampero = {v, high ? INT64_MAX : INT64_MIN};
        QCOMPARE(hex(build_parameter_frame(method_index(method), p, settings(true, true, 2, 0), sample_context()).frame),
                 frame);
    }

    void differential_pulse_frame()
    {
        const dpv_parameters p{-500, 700, 4, 50, 300, 25};
        const parameter_frame_result r = build_dpv_frame(p, 5, settings(true, false, 0, 3), sample_context());
        QCOMPARE(hex(r.frame), hex(frame_of({0x14, 8, 0xF4, 0x11, 0xBC, 0x02, 0x1E, 0x00, 4, 0xFA, 0x00, 0x32, 0x00,
                                              0x21, 0x00, 5, 0, 0, 0, 0})));
        QCOMPARE(r.details, QStringList({"Diff. Pulse Voltammetry", "Ei(mV): -500", "Ef(mV): 700", "Step(mV): 4",
                                         "Width(ms): 50", "Period(ms): 300"}) + common_tail);
        QCOMPARE(r.x_lower, -0.5);
        QCOMPARE(r.x_upper, 0.7);
        QCOMPARE(int(r.channel_code), 1);
    }

    void square_wave_frame()
    {
        const swv_parameters p{200, -300, 2, 300, 50};
        const parameter_frame_result r = build_swv_frame(p, step_736_uV, settings(false, true, 5, 3), sample_context());
        QCOMPARE(hex(r.frame), hex(frame_of({0x28, 28, 0xC8, 0x00, 0x2C, 0x11, 0x1E, 0x00, 2, 0x2C, 0x01, 67, 0x00,
                                              0, 0, 0, 0, 0, 0, 0})));
        QCOMPARE(r.details, QStringList({"Square Wave Voltammetry", "Ei(mV): 200", "Ef(mV): -300", "Step(mV): 2",
                                         "Frequency(Hz): 300", "Amplitude(mV): 50"}) + common_tail);
        QCOMPARE(r.x_lower, 0.2);
        QCOMPARE(r.x_upper, -0.3);
        QCOMPARE(int(r.channel_code), 2);
        QCOMPARE(int(r.resolution), 736);
    }

    void linear_sweep_frame_sends_lead_in_seconds()
    {
        const parameter_frame_result r = build_lsv_frame({-1, 1500, 100}, 3, settings(true, true, 6, 3), sample_context());
        QCOMPARE(hex(r.frame), hex(frame_of({0x3C, 32, 100, 0, 0, 3, 0x01, 0x10, 0xDC, 0x05, 3, 3, 3, 3, 3, 3, 3,
                                              3, 3, 3})));
        QCOMPARE(r.details, QStringList({"Linear Sweep Voltammetry", "Ei(mV): -1", "Ef(mV): 1500",
                                         "Rate(mV/sec): 100"}) + common_tail);
        QCOMPARE(r.x_lower, -0.001);
        QCOMPARE(r.x_upper, 1.5);
    }

    void normal_pulse_frame_puts_final_before_initial()
    {
        const npv_parameters p{-800, 400, 10, 5, 100};
        const parameter_frame_result r = build_npv_frame(p, 1, settings(true, false, 3, 3), sample_context());
        QCOMPARE(hex(r.frame), hex(frame_of({0x16, 20, 5, 0, 95, 0, 10, 0, 0x90, 0x01, 0x20, 0x13, 1, 0, 0, 0, 0,
                                              0x1E, 0x00, 0})));
        QCOMPARE(r.details, QStringList({"Normal Pulse Voltammetry", "Ei(mV): -800", "Ef(mV): 400", "Step(mV): 10",
                                         "Width(ms): 5", "Period(ms): 100"}) + common_tail);
        QCOMPARE(r.x_lower, -0.8);
        QCOMPARE(r.x_upper, 0.4);
    }

    void cyclic_details_and_axis()
    {
        const cv_parameters p{-600, 900, 0, true, 250, 3, 2};
        const parameter_frame_result r = build_cv_frame(p, settings(true, false, 1, 3), sample_context());
        QCOMPARE(r.details, QStringList({"Cyclic Voltammetry", "Er1(mV): -600", "Er2(mV): 900", "Ei(mV): 0",
                                         "Rate(mV/sec): 250", "Cycles: 3"}) + common_tail);
        QCOMPARE(r.x_lower, -0.6);
        QCOMPARE(r.x_upper, 0.9);
        QCOMPARE(hex(r.frame), hex(frame_of({0x12, 12, 0xFA, 0x00, 0, 0, 0x58, 0x12, 0x84, 0x03, 0x1E, 0x00, 2, 3,
                                              3, 3, 3, 3, 3, 3})));
        QVERIFY(!r.rate && !r.cycles && !r.e_start && !r.chrono_axis);
    }

    void chronoamperometry_frame_and_record_fields()
    {
        const chrono_parameters p{500, 1000, -1000, 70000, 3};   // t1 over 16 bits: the frame carries 32
        const parameter_frame_result r = build_chrono_frame(p, step_736_uV, settings(true, true, 2, 3), sample_context());
        QCOMPARE(hex(r.frame), hex(frame_of({0x3A, 16, 0xF4, 0x01, 0xE8, 0x03, 0xE8, 0x13, 0x1E, 0x00, 0x70, 0x11,
                                              0x01, 0x00, 3, 0, 0, 0, 0x0A, 0})));
        QCOMPARE(r.details, QStringList({"Chronoamperometry", "Ei(mV): 500", "E1(mV): 1000", "E2(mV): -1000",
                                         "T1(ms): 70000", "Steps: 3"}) + common_tail);
        QCOMPARE(r.x_lower, 0.0);
        QCOMPARE(r.x_upper, 70000.0 * 3 + 3000.0);
        QCOMPARE(r.lead_time_s.value_or(99), uint8_t(3));
        QCOMPARE(r.cycles.value_or(0), uint16_t(3));
        QCOMPARE(r.rate.value_or(0), uint16_t(70000 & 0xFFFF));
        QCOMPARE(r.e_start.value_or(0), 1000.0f);
        QVERIFY(r.chrono_axis.has_value());
        QCOMPARE(int(r.chrono_axis->step_number), 0);
        QCOMPARE(r.chrono_axis->step_offset_ms, float(70000 - 3.32643125));

        QCOMPARE(build_chrono_frame(p, 1, settings(false, true, 2, 0), sample_context()).chrono_axis->step_offset_ms,
                 float(70000 - 1.3978125));
        // Neither box ticked still records WE2, so the offset follows one electrode's period.
        const parameter_frame_result none = build_chrono_frame(p, 1, settings(false, false, 2, 0), sample_context());
        QCOMPARE(none.chrono_axis->step_offset_ms, float(70000 - 1.3978125));
        QCOMPARE(int(none.channel_code), 2);
    }

    void amperometry_frame_and_record_fields()
    {
        const parameter_frame_result r =
            build_ampero_frame({-100, 65000000}, 7, settings(true, false, 4, 3), sample_context());
        QCOMPARE(hex(r.frame), hex(frame_of({0x13, 24, 0x40, 0xD2, 0xDF, 0x03, 0x64, 0x10, 0x0A, 0x0A, 0x0A, 0x0A,
                                              0x1E, 0x00, 0, 0, 0, 0, 0, 0})));
        QCOMPARE(r.details, QStringList({"Amperometric", "E(mV): -100", "Time(ms): 65000000"}) + common_tail);
        QCOMPARE(r.rate.value_or(0), uint16_t(1));
        QCOMPARE(int(r.resolution), 7);   // no resolution byte in the frame, but the record keeps it
        QCOMPARE(r.x_lower, 0.0);
        QCOMPARE(r.x_upper, 65000000.0);
    }

    void detail_line_formats()
    {
        for (float none : {0.0005f, 0.0f, -3.0f})
            QCOMPARE(filter_details_line(none), QStringLiteral("Filter: None"));
        QCOMPARE(filter_details_line(2.0f), QStringLiteral("Filter: 2Hz"));
        QCOMPARE(filter_details_line(0.5f), QStringLiteral("Filter: 0.5Hz"));
        QCOMPARE(filter_details_line(10.0f), QStringLiteral("Filter: 10Hz"));
        QCOMPARE(device_details_line(9), QStringLiteral("Device ID: RZ410-K260509"));
        QCOMPARE(device_details_line(10), QStringLiteral("Device ID: RZ410-K260510"));
        QCOMPARE(date_details_line(QDateTime(QDate(2019, 12, 25), QTime(23, 59, 1))),
                 QStringLiteral("Date: 2019-12-25  23:59:01"));
    }

    void dispatcher_uses_the_cyclic_step_for_every_method()
    {
        method_pages pages;
        pages.cv.step = 9;
        for (int m = 0; m < method_count; ++m) {
            const parameter_frame_result r =
                build_parameter_frame(method_index(m), pages, settings(true, true, 2, 1), sample_context());
            QCOMPARE(int(r.resolution), 9);
            QCOMPARE(int(r.frame[0] & 0x0F), int(method_codes[m]));
            QCOMPARE(r.details.value(0), method_name(method_index(m)));
            QCOMPARE(r.details.size(), m == 3 ? 8 : m == 6 ? 7 : 10);
        }
    }

    // The simulated instrument reads frames back; it must recover what the builder sent for every method.
    void frames_read_back_data() { add_method_rows(); }
    void frames_read_back()
    {
        QFETCH(int, method);
        method_pages pages;
        pages.cv = {-700, 1300, 250, false, 150, 4, step_736_uV};
        pages.dpv = {-900, 600, 3, 40, 250, 100};
        pages.swv = {800, -400, 5, 120, 50};
        pages.lsv = {-2000, 2000, 333};
        pages.npv = {-100, 900, 7, 8, 90};
        pages.chrono = {-250, 750, -1500, 123456, 9};
        pages.ampero = {1999, 4000000};
        const parameter_frame_result built =
            build_parameter_frame(method_index(method), pages, settings(false, true, 6, 12), sample_context());
        const parsed_frame back = parse_parameter_frame(built.frame);
        QVERIFY(back.valid);
        QCOMPARE(int(back.method), method);
        QCOMPARE(int(back.channel_bits), 0x20);
        QVERIFY(!back.we1 && back.we2);
        QCOMPARE(back.range_index, 6);
        QCOMPARE(int(back.extra_time_s), 12);
        // Every value of the method's page came back: building again from what was read gives the same bytes.
        method_pages again = back.pages;
        again.cv.step = back.scan_step;   // every method takes its step from the cyclic page
        const run_settings run_back{back.we1, back.we2, back.range_index, back.extra_time_s};
        QCOMPARE(hex(build_parameter_frame(method_index(method), again, run_back, sample_context()).frame), hex(built.frame));
        if (method <= 1)
            QCOMPARE(back.scan_step, step_736_uV);
    }

    void every_amplitude_reads_back_exactly()
    {
        for (int mV = 0; mV <= 2000; ++mV) {
            swv_parameters p;
            p.amplitude_mV = mV;
            const parsed_frame back = parse_parameter_frame(build_swv_frame(p, 1, run_settings{}, details_context{}).frame);
            QCOMPARE(back.pages.swv.amplitude_mV, mV);
        }
    }

    void unknown_frames_are_not_parsed()
    {
        QVERIFY(!parse_parameter_frame(frame_of({0x35, 16})).valid);   // method code 5 does not exist
        QVERIFY(!parse_parameter_frame(frame_of({0x32, 17})).valid);   // no such range code
        QVERIFY(!parse_parameter_frame(frame_of({0x02, 16})).valid);   // no electrode
        QVERIFY(!parse_parameter_frame(QByteArray(19, '\x32')).valid);
        QVERIFY(parse_parameter_frame(frame_of({0x32, 16})).valid);
    }
};

QTEST_GUILESS_MAIN(test_parameter_frames)
#include "parameter_frames_test.moc"
