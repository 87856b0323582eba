// What the run screen spends on the receive path of a long two-electrode amperometric run: decoding, the live
// filter passes, bringing the record's curves up to date and one offscreen redraw per received batch, as CPU
// time per second of wire time at a given run length.
#include "instrument/method_names.h"
#include "instrument/parameter_frames.h"
#include "instrument/sample_decoding.h"
#include "run/live_run.h"
#include "run/mainwindow.h"
#include "run/qcp_compat.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>

namespace {
constexpr int stream_samples = 65000;        // per electrode
constexpr int measured_pairs = 320;          // samples per electrode timed per iteration, ending at the run length
constexpr double redraw_interval_ms = 50;    // the run screen redraws a running plot at most this often
constexpr double pair_period_ms = sample_period_both_ms;

void put16(QByteArray &f, int at, uint16_t v)
{
    f[at] = char(v & 0xFF);
    f[at + 1] = char(v >> 8);
}

// One time-indexed frame as the instrument sends it: sample index, range 3, the electrode bit, and block A words
// whose sum gives the current (block B left at zero).
QByteArray time_frame(uint16_t index, bool we1, int16_t word)
{
    QByteArray f(sample_frame_size, '\0');
    f[frame_kind_byte] = char(frame_kind_time_a);
    f[frame_range_byte] = char((3 << 4) | (we1 ? frame_we1_bit : 0));
    put16(f, frame_p1, index);
    for (int w = 0; w < 2; ++w)
        put16(f, frame_block_a_head + 2 * w, uint16_t(word));
    for (int w = 0; w < 14; ++w)
        put16(f, frame_block_a_tail + 2 * w, uint16_t(word));
    return f;
}

// A stand-in for a recorded run: a slow drift with a step and some noise on both electrodes, frame after frame.
const QByteArray &recorded_stream()
{
    static const QByteArray stream = [] {
        QByteArray s;
        s.reserve(stream_samples * 2 * sample_frame_size);
        uint32_t noise = 2463534242u;
        for (int k = 0; k < stream_samples; ++k) {
            for (bool we1 : {true, false}) {
                noise ^= noise << 13;
                noise ^= noise >> 17;
                noise ^= noise << 5;
                const double level = 600 * std::sin(k * 0.0007) + (k > stream_samples / 2 ? 400 : 0);
                const int16_t word = int16_t(level * (we1 ? 1.0 : 0.8) + int(noise % 61) - 30);
                s += time_frame(uint16_t(k), we1, word);
            }
        }
        return s;
    }();
    return stream;
}

double cpu_seconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The run screen with one running record, fed through the same steps its receive handler takes.
struct receive_path {
    std::unique_ptr<MainWindow> window;
    QCustomPlot *plot = nullptr;
    curve *record = nullptr;
    live_run run;
    QByteArray rx;
    int fed = 0;   // bytes of the stream handed over so far

    receive_path()
    {
        window = std::make_unique<MainWindow>();
        window->show();
        plot = window->findChild<QCustomPlot *>(QStringLiteral("widget"));
        record = &window->experiment_records()[0];
        record->ch1_curve->setPen(window->we1_pen(0));
        record->ch2_curve->setPen(window->we2_pen(0));
        record->ch1_curve->addToLegend();
        record->ch2_curve->addToLegend();

        method_pages pages;
        pages.ampero.run_time_ms = int64_t(stream_samples * pair_period_ms) + 1;
        run_settings settings;
        settings.we1 = settings.we2 = true;
        details_context context;
        context.filter_hz = 5;   // the automatic cut-off of an amperometric run
        const parameter_frame_result built =
            build_parameter_frame(method_index::amperometry, pages, settings, context);
        live_run_setup setup;
        setup.method = method_index::amperometry;
        setup.method_name = method_name(method_index::amperometry);
        setup.filter_hz = 5;
        setup.rate = built.rate.value_or(1);
        setup.details = built.details;
        run.start(setup, built);
        plot->xAxis->setRange(built.x_lower, built.x_upper);
    }

    // One received batch: decode, batch passes, curve update, and the redraw when one is due.
    void batch(int pairs, bool redraw = true)
    {
        const int bytes = pairs * 2 * sample_frame_size;
        rx += recorded_stream().mid(fed, bytes);
        fed += bytes;
        run.receive(rx);
        sync_curve(window->screen_state().live_curve1, run.live(0), sync_mode::growing_prefix);
        sync_curve(window->screen_state().live_curve2, run.live(1), sync_mode::growing_prefix);
        const axis_range y = y_axis_range(run.decoding().extremes);
        plot->yAxis->setRange(y.lower, y.upper);
        QCPCurve *raw[2] = {record->ch1_raw_curve, record->ch2_raw_curve};
        QCPCurve *shown[2] = {record->ch1_curve, record->ch2_curve};
        for (int e = 0; e < live_run::electrodes; ++e) {
            if (!curve_filtering::batch_pass_due(true, run.live_count(e)) || !run.pass(e, false))
                continue;
            sync_curve(raw[e], run.live(e), sync_mode::growing_prefix);
            sync_curve(shown[e], run.shown(e), sync_mode::growing_prefix);
        }
        if (redraw)
            plot->replot(QCustomPlot::rpImmediateRefresh);
    }
};

// Reads of `pairs` samples per electrode each; a redraw whenever 50 ms of wire time have passed since the last.
void run_receive_path(benchmark::State &state, int pairs)
{
    const int n = int(state.range(0));
    const int lead_in = n - measured_pairs;
    const int reads = measured_pairs / pairs;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        receive_path path;
        // Reach the run length quickly in large batches, then time the last reads one by one.
        while (path.fed / (2 * sample_frame_size) + 2000 <= lead_in)
            path.batch(2000);
        path.batch(lead_in - path.fed / (2 * sample_frame_size));
        state.ResumeTiming();
        const double start = cpu_seconds();
        double since_redraw_ms = redraw_interval_ms;
        for (int r = 0; r < reads; ++r) {
            since_redraw_ms += pairs * pair_period_ms;
            const bool redraw = since_redraw_ms >= redraw_interval_ms;
            if (redraw)
                since_redraw_ms = 0;
            path.batch(pairs, redraw);
        }
        cpu += cpu_seconds() - start;
        state.PauseTiming();
        path.window.reset();
        state.ResumeTiming();
    }
    const double wire_s = double(state.iterations()) * reads * pairs * pair_period_ms / 1000.0;
    state.counters["cpu_s_per_wire_s"] = cpu / wire_s;
    state.counters["read_ms"] = cpu * 1000.0 / (double(state.iterations()) * reads);
}

// Batches of 16 samples per electrode (about 53 ms on the wire), each redrawn.
void receive_path_cpu_per_wire_second(benchmark::State &state) { run_receive_path(state, 16); }
BENCHMARK(receive_path_cpu_per_wire_second)->Arg(5000)->Arg(20000)->Arg(65000)->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The port handing over one sample per electrode at a time (3.3 ms on the wire), as a USB bridge may.
void receive_path_single_frame_reads(benchmark::State &state) { run_receive_path(state, 1); }
BENCHMARK(receive_path_single_frame_reads)->Arg(5000)->Arg(20000)->Arg(65000)->Unit(benchmark::kMillisecond)
    ->Iterations(3);
}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The window reads its settings relative to the working directory; an empty one keeps the bench repeatable.
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
