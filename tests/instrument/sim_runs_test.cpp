// Runs against the simulated instrument over a real serial port: the frames the program sends,
// the sample streams it gets back, stop, and command bursts.
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
    QByteArray raw, rx;
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
};

uint16_t p1_of(const QByteArray &frame) { return uint16_t(uint8_t(frame[4]) | (uint8_t(frame[5]) << 8)); }
}  // namespace

class test_sim_runs : public QObject {
    Q_OBJECT
    platform::system_port_lister lister;
    std::unique_ptr<sim_instrument> sim;
    std::unique_ptr<instrument_link> link;

    // One instrument found and connected, its start-up traffic cleared from the log.
    void connect_one()
    {
        sim = std::make_unique<sim_instrument>(7);
        QVERIFY(sim->is_plugged());
        sim->set_speed_up(20);
        list_ports({sim.get()});
        // The instrument answers; however busy the machine, its answer is not waited out.
        link = std::make_unique<instrument_link>(lister, nullptr, 60000, 60000);
        link->find_device_port();
        QVERIFY(link->is_connected());
        // The connect command is the last thing the program sends before a case begins; a fixed pause may end
        // before a busy machine has delivered it.
        QTRY_VERIFY_WITH_TIMEOUT(sim->commands().contains(connect_command), 60000);
        sim->clear_received();
    }

    // Runs what `built` describes; `capture` decodes what the working port receives. With `to_end`,
    // waits for the end frame.
    bool run(run_capture &capture, method_index method, const parameter_frame_result &built, bool to_end = true)
    {
        capture.ctx = start_decoding(method, built);
        // As the run screen's Start does: a byte left on the line would shift every frame after it.
        link->main_port().clear();
        capture.attach(link->main_port());
        if (!link->send_parameter_frame(built.frame))
            return false;
        return !to_end || QTest::qWaitFor([&] { return capture.ended; }, 180000);   // the run's own end; minutes only on a loaded machine
    }

private slots:
    void init() { connect_one(); }
    void cleanup()
    {
        link.reset();
        sim.reset();
        qunsetenv("RZ410_EXTRA_PORTS");
    }

    void cyclic_run_streams_a_redox_wave_to_its_end()
    {
        const parameter_frame_result built = build_cv_frame({-200, 200, -200, true, 1000, 1, 5}, run_settings{true, true},
                                                             details_context());
        run_capture capture;
        QVERIFY(run(capture, method_index::cyclic, built));

        // The instrument got exactly the 20 frame bytes and read them back as the same run.
        QCOMPARE(sim->received(), QByteArray(reinterpret_cast<const char *>(built.frame.data()), 20));
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
            if (s.electrode == 1 && i < 160 && s.current_uA > forward_peak) {
                forward_peak = s.current_uA;
                forward_peak_x = s.x;
            }
            if (s.electrode == 1 && i >= 160)
                reverse_low = std::min(reverse_low, double(s.current_uA));
        }
        QVERIFY(std::fabs(capture.samples.front().x - -0.2) < 0.001);
        QVERIFY(std::fabs(x_max - 0.2) < 0.006);
        // Oxidation on the way up, reduction on the way back, the forward peak just past 0 V.
        QVERIFY(forward_peak > 0 && reverse_low < 0);
        QVERIFY2(forward_peak_x > 0.0 && forward_peak_x < 0.12, qPrintable(QString::number(forward_peak_x)));
    }

    void linear_sweep_currents_decode_to_the_model()
    {
        run_capture capture;
        QVERIFY(run(capture, method_index::linear_sweep,
                    build_lsv_frame({-100, 150, 500}, 5, run_settings{true, false, 3}, details_context())));
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
        run_capture capture;
        QVERIFY(run(capture, method_index::differential_pulse,
                    build_dpv_frame({-100, 100, 10, 10, 20, 50}, 5, run_settings(), details_context())));
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
        run_capture capture;
        QVERIFY(run(capture, method_index::chronoamperometry,
                    build_chrono_frame({0, 500, -500, 70, 3}, 5, run_settings{true, false}, details_context())));
        capture.cut(sample_frame_size);
        const int per_step = int(70 / sample_period_one_ms);   // 50
        QCOMPARE(int(capture.frames.size()), 3 * per_step + 1);
        for (int step = 0; step < 3; ++step) {
            const size_t first = size_t(step * per_step), last = first + size_t(per_step - 1);
            QCOMPARE(int(uint8_t(capture.frames[first][6])), int(frame_kind_time_a));
            QCOMPARE(int(p1_of(capture.frames[first])), 0);
            QCOMPARE(int(p1_of(capture.frames[last])), per_step - 1);
            const float i_first = capture.samples[first].current_uA, i_last = capture.samples[last].current_uA;
            // Cottrell: the current falls away from its value just after the step, with the step's sign.
            QVERIFY2(std::fabs(i_first) > 2 * std::fabs(i_last), qPrintable(QStringLiteral("%1 %2").arg(i_first).arg(i_last)));
            QVERIFY(step % 2 ? i_first < 0 : i_first > 0);
        }
    }

    // With an end frame after stop, see run_road_test's stop case; a pulled cable mid-run is covered there
    // and by the link's removal tests.
    void stop_ends_the_stream_and_is_logged_once()
    {
        QSignalSpy stopped(sim.get(), &sim_instrument::run_stopped);
        sim->set_speed_up(1);   // a minute-long amperometric run at the instrument's own pace
        run_capture capture;
        QVERIFY(run(capture, method_index::amperometry,
                    build_ampero_frame({100, 60000}, 5, run_settings(), details_context()), false));
        QVERIFY(QTest::qWaitFor([&] { return capture.samples.size() > 20; }, 60000));

        link->send_stop_command();
        QTRY_COMPARE_WITH_TIMEOUT(stopped.count(), 1, 60000);
        QVERIFY(!sim->running());
        QTest::qWait(100);
        const size_t after_stop = capture.samples.size();
        QTest::qWait(150);
        QCOMPARE(capture.samples.size(), after_stop);
        QVERIFY(!capture.ended);   // this instrument sends nothing after a stop
        QVERIFY(sim->received().endsWith(burst(stop_command)));
        QCOMPARE(sim->commands().count(stop_command), 1);
        QVERIFY(capture.samples.front().current_uA > 0);   // the model's steady current, well inside the range
    }

    // The system gives a closed terminal's number to the next one opened, here or in another test program. A path
    // an instrument was reached by must not lead to the next one: a program still listing it would write into
    // that instrument's line, and the replies would land in the middle of its run.
    void a_path_given_out_never_leads_to_another_instrument()
    {
        QString old_path;
        {
            sim_instrument gone(2);
            old_path = gone.slave_path();
            QVERIFY(QFileInfo::exists(old_path));
        }
        sim_instrument next(3);
        QVERIFY(next.is_plugged());
        QVERIFY2(!QFileInfo::exists(old_path), qPrintable(old_path));
    }

    void command_bursts_count_once_per_twenty_bytes()
    {
        QSerialPort &port = link->main_port();
        write_bytewise(port, burst(stop_command, 19));   // one short: not a command
        write_bytewise(port, burst(connect_command, 40));   // two commands
        write_bytewise(port, burst(close_command));
        QTRY_COMPARE_WITH_TIMEOUT(sim->received().size(), 79, 60000);
        QCOMPARE(sim->commands(), QVector<uint8_t>({connect_command, connect_command, close_command}));
        QVERIFY(sim->parameter_frames().isEmpty());
    }
};

QTEST_MAIN(test_sim_runs)
#include "sim_runs_test.moc"
