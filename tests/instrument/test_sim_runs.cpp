// Runs against the simulated instrument over a real serial port: the frames the program sends,
// the sample streams it gets back, stop, and pulling the cable mid-run.
#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <memory>
#include <vector>

#include "instrument/commands.h"
#include "instrument/instrument_link.h"
#include "instrument/parameter_frames.h"
#include "instrument/sample_decoding.h"
#include "support/listed_ports.h"
#include "support/sim_instrument.h"

namespace {
QByteArray burst(uint8_t command, int times = command_repeats) { return QByteArray(times, char(command)); }

// What the working port delivered during one run, decoded as the run screen decodes it.
struct run_capture {
    QByteArray rx;
    run_decoding_context ctx;
    std::vector<decoded_sample> samples;
    std::vector<QByteArray> frames;   // raw frames, end frame included
    bool ended = false;
    int reads = 0;
    int dropped = 0;

    void attach(QSerialPort &port)
    {
        QObject::connect(&port, &QSerialPort::readyRead, [this, &port] {
            const QByteArray bytes = port.readAll();
            ++reads;
            raw += bytes;
            rx += bytes;
            const decoded_batch batch = decode_received(rx, ctx);
            samples.insert(samples.end(), batch.samples.begin(), batch.samples.end());
            dropped += batch.dropped_frames;
            ended = ended || batch.end_of_run;
        });
    }
    void cut(int frame_size)
    {
        for (int at = 0; at + frame_size <= raw.size(); at += frame_size)
            frames.push_back(raw.mid(at, frame_size));
    }
    QByteArray raw;
};

uint16_t p1_of(const QByteArray &frame) { return uint16_t(uint8_t(frame[4]) | (uint8_t(frame[5]) << 8)); }
}  // namespace

class test_sim_runs : public QObject {
    Q_OBJECT
    platform::system_port_lister lister;
    std::unique_ptr<sim_instrument> sim;
    std::unique_ptr<instrument_link> link;

    // One instrument found and connected, its start-up traffic cleared from the log.
    void connect_one(uint8_t id = 7)
    {
        sim = std::make_unique<sim_instrument>(id);
        QVERIFY(sim->is_plugged());
        sim->set_speed_up(20);
        list_ports({sim.get()});
        link = std::make_unique<instrument_link>(lister, nullptr, 400, 250);
        link->find_device_port();
        QVERIFY(link->is_connected());
        QTest::qWait(30);
        sim->clear_received();
    }

    // Starts the run `built` describes; `capture` decodes what the working port receives.
    bool start_run(run_capture &capture, method_index method, const parameter_frame_result &built)
    {
        capture.ctx = start_decoding(method, built);
        capture.attach(link->main_port());
        return link->send_parameter_frame(built.frame);
    }

    // A minute-long amperometric run at the instrument's own pace; false unless more than `samples` came in.
    bool stream_long_amperometry(run_capture &capture, int samples, int potential_mV = ampero_parameters().potential_mV)
    {
        sim->set_speed_up(1);
        ampero_parameters amp;
        amp.potential_mV = potential_mV;
        amp.run_time_ms = 60000;
        const parameter_frame_result built = build_ampero_frame(amp, 5, run_settings(), details_context());
        if (!start_run(capture, method_index::amperometry, built))
            return false;
        return QTest::qWaitFor([&] { return int(capture.samples.size()) > samples; }, 3000);
    }

private slots:
    void cleanup()
    {
        link.reset();
        sim.reset();
        qunsetenv("RZ410_EXTRA_PORTS");
    }

    void cyclic_run_streams_a_redox_wave_to_its_end()
    {
        connect_one();
        cv_parameters cv;
        cv.er1_mV = -200;
        cv.er2_mV = 200;
        cv.ei_mV = -200;
        cv.rate_mV_s = 1000;
        cv.step = 5;
        run_settings settings;
        settings.we1 = true;
        settings.we2 = true;
        const parameter_frame_result built = build_cv_frame(cv, settings, details_context());
        run_capture capture;

        QVERIFY(start_run(capture, method_index::cyclic, built));
        QTRY_VERIFY_WITH_TIMEOUT(capture.ended, 5000);

        // The instrument got exactly the 20 frame bytes and read them back as the same run.
        const QByteArray sent(reinterpret_cast<const char *>(built.frame.data()), 20);
        QCOMPARE(sim->received(), sent);
        QCOMPARE(sim->parameter_frames().size(), 1);
        QCOMPARE(int(sim->last_run().method), int(method_index::cyclic));
        QCOMPARE(sim->last_run().pages.cv.er2_mV, 200);

        // 80 potentials up and 80 back, each on both electrodes, then the end frame; split over many reads.
        QCOMPARE(sim->samples_planned(), int64_t(160));
        QCOMPARE(int(capture.samples.size()), 320);
        QCOMPARE(capture.dropped, 0);
        QVERIFY(capture.reads > 3);
        QVERIFY(capture.rx.isEmpty());

        double forward_peak = -1e9, forward_peak_x = 0, reverse_low = 1e9, x_max = -1e9;
        for (size_t i = 0; i < capture.samples.size(); ++i) {
            const decoded_sample &s = capture.samples[i];
            QCOMPARE(int(s.electrode), i % 2 ? 2 : 1);
            x_max = std::max(x_max, s.x);
            if (i < 160 && s.electrode == 1 && s.current_uA > forward_peak) {
                forward_peak = s.current_uA;
                forward_peak_x = s.x;
            }
            if (i >= 160 && s.electrode == 1)
                reverse_low = std::min(reverse_low, double(s.current_uA));
        }
        QVERIFY(std::fabs(capture.samples.front().x - -0.2) < 0.001);
        QVERIFY(std::fabs(x_max - 0.2) < 0.006);
        // Oxidation on the way up, reduction on the way back, the forward peak just past 0 V.
        QVERIFY(forward_peak > 0);
        QVERIFY(reverse_low < 0);
        QVERIFY2(forward_peak_x > 0.0 && forward_peak_x < 0.12, qPrintable(QString::number(forward_peak_x)));
    }

    void linear_sweep_currents_decode_to_the_model()
    {
        connect_one();
        lsv_parameters lsv;
        lsv.ei_mV = -100;
        lsv.ef_mV = 150;
        lsv.rate_mV_s = 500;
        run_settings settings;
        settings.we1 = true;
        settings.we2 = false;
        settings.range_index = 3;
        const parameter_frame_result built = build_lsv_frame(lsv, 5, settings, details_context());
        run_capture capture;
        start_run(capture, method_index::linear_sweep, built);
        QTRY_VERIFY_WITH_TIMEOUT(capture.ended, 5000);

        QCOMPARE(int(capture.samples.size()), 50);
        const double scale = 0.3 * sim_instrument::full_scale_uA(4);
        for (size_t k = 0; k < capture.samples.size(); ++k) {
            const decoded_sample &s = capture.samples[k];
            QCOMPARE(int(s.electrode), 1);
            // The instrument reports its potential in 0.736 mV codes; the model ran at the nominal one.
            const double nominal_V = (-100 + 5.0 * double(k)) / 1000.0;
            QVERIFY(std::fabs(s.x - nominal_V) <= 0.000736);
            const double model = sim_instrument::redox_current_uA(nominal_V, 1, 500, scale);
            // Noise is at most 0.2 % of the scale; the range's current step adds one quantum.
            QVERIFY2(std::fabs(s.current_uA - model) <= 0.002 * scale + range_quantum_uA[3] + 1e-3,
                     qPrintable(QStringLiteral("%1 V: %2 vs %3").arg(s.x).arg(s.current_uA).arg(model)));
        }
    }

    void differential_pulse_sends_144_byte_frames()
    {
        connect_one();
        dpv_parameters dpv;
        dpv.ei_mV = -100;
        dpv.ef_mV = 100;
        dpv.step_mV = 10;
        dpv.period_ms = 20;
        dpv.width_ms = 10;
        dpv.amplitude_mV = 50;
        run_settings settings;
        const parameter_frame_result built = build_dpv_frame(dpv, 5, settings, details_context());
        run_capture capture;
        start_run(capture, method_index::differential_pulse, built);
        QTRY_VERIFY_WITH_TIMEOUT(capture.ended, 5000);

        capture.cut(pulse_frame_size);
        QCOMPARE(capture.raw.size() % pulse_frame_size, 0);
        QCOMPARE(int(capture.frames.size()), 2 * 20 + 1);
        QVERIFY(is_end_of_run_frame(capture.frames.back()));
        QCOMPARE(int(capture.samples.size()), 40);
        // The differential current peaks near the formal potential.
        const auto peak = std::max_element(capture.samples.begin(), capture.samples.end(),
                                           [](const decoded_sample &a, const decoded_sample &b) {
                                               return a.current_uA < b.current_uA;
                                           });
        QVERIFY(peak->current_uA > 0);
        QVERIFY2(peak->x > -0.06 && peak->x < 0.02, qPrintable(QString::number(peak->x)));
    }

    void chronoamperometry_restarts_the_index_and_decays_after_each_step()
    {
        connect_one();
        chrono_parameters chrono;
        chrono.ei_mV = 0;
        chrono.e1_mV = 500;
        chrono.e2_mV = -500;
        chrono.t1_ms = 70;
        chrono.steps = 3;
        run_settings settings;
        settings.we1 = true;
        settings.we2 = false;
        const parameter_frame_result built = build_chrono_frame(chrono, 5, settings, details_context());
        run_capture capture;
        start_run(capture, method_index::chronoamperometry, built);
        QTRY_VERIFY_WITH_TIMEOUT(capture.ended, 5000);

        capture.cut(sample_frame_size);
        const int per_step = int(70 / sample_period_one_ms);   // 50
        QCOMPARE(int(capture.frames.size()), 3 * per_step + 1);
        for (int step = 0; step < 3; ++step) {
            const QByteArray &first = capture.frames[size_t(step * per_step)];
            const QByteArray &last = capture.frames[size_t(step * per_step + per_step - 1)];
            QCOMPARE(int(uint8_t(first[6])), int(frame_kind_time_a));
            QCOMPARE(int(p1_of(first)), 0);
            QCOMPARE(int(p1_of(last)), per_step - 1);
            const float i_first = capture.samples[size_t(step * per_step)].current_uA;
            const float i_last = capture.samples[size_t(step * per_step + per_step - 1)].current_uA;
            // Cottrell: the current falls away from its value just after the step, with the step's sign.
            QVERIFY2(std::fabs(i_first) > 2 * std::fabs(i_last), qPrintable(QStringLiteral("%1 %2").arg(i_first).arg(i_last)));
            QVERIFY(step % 2 ? i_first < 0 : i_first > 0);
        }
    }

    void stop_ends_the_stream_and_is_logged_once()
    {
        connect_one();
        QSignalSpy stopped(sim.get(), &sim_instrument::run_stopped);
        run_capture capture;
        QVERIFY(stream_long_amperometry(capture, 20, 100));

        link->send_stop_command();
        QTRY_COMPARE_WITH_TIMEOUT(stopped.count(), 1, 2000);
        QVERIFY(!sim->running());
        QTest::qWait(100);
        const size_t after_stop = capture.samples.size();
        QTest::qWait(150);
        QCOMPARE(capture.samples.size(), after_stop);
        QVERIFY(!capture.ended);   // this instrument sends nothing after a stop
        QVERIFY(sim->received().endsWith(burst(stop_command)));
        QCOMPARE(sim->commands().count(stop_command), 1);
        // Steady current of the model, well inside the range.
        QVERIFY(capture.samples.front().current_uA > 0);
    }

    void stop_can_be_answered_with_an_end_frame()
    {
        connect_one();
        sim->set_end_frame_after_stop(true);
        run_capture capture;
        QVERIFY(stream_long_amperometry(capture, 5));
        link->send_stop_command();
        QTRY_VERIFY_WITH_TIMEOUT(capture.ended, 2000);
    }

    void unplugging_mid_run_disconnects()
    {
        connect_one();
        run_capture capture;
        QVERIFY(stream_long_amperometry(capture, 5));

        std::vector<link_view> views;
        int interrupted = 0;
        connect(link.get(), &instrument_link::view_changed, [&views](link_view v, const QString &) { views.push_back(v); });
        connect(link.get(), &instrument_link::run_interrupted, [&interrupted] { ++interrupted; });
        const QString path = sim->slave_path();
        unplug_and_unlist(*sim);
        QVERIFY(!QFile::exists(path));   // the device node goes, as a pulled USB cable's does
        QTest::qWait(50);
        link->device_removed();
        QCOMPARE(int(link->device_count()), 0);
        QVERIFY(!link->is_connected());
        QCOMPARE(interrupted, 1);
        QVERIFY(!views.empty());
        QCOMPARE(views.back(), link_view::all_gone);
        QVERIFY(!capture.ended);
    }

    void command_bursts_count_once_per_twenty_bytes()
    {
        connect_one();
        QSerialPort &port = link->main_port();
        write_bytewise(port, burst(stop_command, 19));   // one short: not a command
        write_bytewise(port, burst(connect_command, 40));   // two commands
        write_bytewise(port, burst(close_command));
        QTRY_COMPARE_WITH_TIMEOUT(sim->received().size(), 79, 2000);
        QCOMPARE(sim->commands(), QVector<uint8_t>({connect_command, connect_command, close_command}));
        QVERIFY(sim->parameter_frames().isEmpty());
    }
};

QTEST_MAIN(test_sim_runs)
#include "test_sim_runs.moc"
