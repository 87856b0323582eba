// What the run screen spends on the receive path of a long two-electrode amperometric run: decoding, the live
// filter passes, bringing the record's curves up to date and one offscreen redraw per received batch, as CPU
// time per second of wire time with the record already holding N samples per electrode; and, for a long
// record, its peak memory and the time its autosave and its opening take without blocking the window.
#include "instrument/method_names.h"
#include "instrument/parameter_frames.h"
#include "instrument/sample_decoding.h"
#include "platform/memory_release.h"
#include "plot/qcp_compat.h"
#include "run/live_run.h"
#include "run/mainwindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <unistd.h>

namespace {
constexpr int measured_pairs = 1600;         // samples per electrode timed per iteration, after the run length
constexpr double redraw_interval_ms = 50;    // the run screen redraws a running plot at most this often
constexpr double pair_period_ms = sample_period_both_ms;
constexpr int fill_batch = 20000;            // samples per electrode in each read while the record fills

void put16(char *f, int at, uint16_t v)
{
    f[at] = char(v & 0xFF);
    f[at + 1] = char(v >> 8);
}

// One time-indexed frame as the instrument sends it: sample index, range 3, the electrode bit, and block A words
// whose sum gives the current (block B left at zero).
void append_frame(QByteArray &s, uint16_t index, bool we1, int16_t word)
{
    const int at = s.size();
    s.append(sample_frame_size, '\0');
    char *f = s.data() + at;
    f[frame_kind_byte] = char(frame_kind_time_a);
    f[frame_range_byte] = char((3 << 4) | (we1 ? frame_we1_bit : 0));
    put16(f, frame_p1, index);
    for (int w = 0; w < 2; ++w)
        put16(f, frame_block_a_head + 2 * w, uint16_t(word));
    for (int w = 0; w < 14; ++w)
        put16(f, frame_block_a_tail + 2 * w, uint16_t(word));
}

// A stand-in for a recorded run, made as it is needed: a slow drift with steps and some noise on both
// electrodes. The 16-bit index runs over as in a long run (0xFFFF would end it).
void append_samples(QByteArray &s, int first, int count)
{
    s.reserve(s.size() + count * 2 * sample_frame_size);
    for (int k = first; k < first + count; ++k) {
        uint32_t noise = uint32_t(k) * 2654435761u;
        noise ^= noise >> 15;
        for (bool we1 : {true, false}) {
            noise = noise * 1664525u + 1013904223u;
            const double level = 600 * std::sin(k * 0.0007) + ((k / 50000) % 2 ? 400 : 0);
            const int16_t word = int16_t(level * (we1 ? 1.0 : 0.8) + int((noise >> 8) % 61) - 30);
            append_frame(s, uint16_t(k % 0xFFFF), we1, word);
        }
    }
}

double cpu_seconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Resident memory now and at its peak since the last reset, in bytes.
qint64 status_bytes(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}
void reset_peak_memory()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// The run screen with one running record, fed through the same steps its receive handler takes.
struct receive_path {
    std::unique_ptr<MainWindow> window;
    QCustomPlot *plot = nullptr;
    curve *record = nullptr;
    live_run run;
    QByteArray rx;
    int fed = 0;   // samples per electrode handed over so far

    explicit receive_path(int run_samples)
    {
        window = std::make_unique<MainWindow>();
        window->show();
        plot = window->findChild<QCustomPlot *>(QStringLiteral("widget"));
        const int n = window->reserve_next_record();
        record = &window->experiment_records()[n];
        record->ch1_curve->setPen(window->we1_pen(0));
        record->ch2_curve->setPen(window->we2_pen(0));
        record->ch1_curve->addToLegend();
        record->ch2_curve->addToLegend();
        // As at Start: the live curves are the raw curves' points.
        qcp::share_points(window->screen_state().live_curve1, record->ch1_raw_curve);
        qcp::share_points(window->screen_state().live_curve2, record->ch2_raw_curve);

        method_pages pages;
        pages.ampero.run_time_ms = int64_t(run_samples * pair_period_ms) + 1;
        run_settings settings;
        settings.we1 = settings.we2 = true;
        details_context context;
        context.filter_hz = 5;   // the automatic cut-off of an amperometric run
        const parameter_frame_result built =
            build_parameter_frame(method_index::amperometry, pages, settings, context);
        record->method = method_name(method_index::amperometry);
        record->details = built.details;
        record->filter_hz = 5;
        record->ch1_shown = record->ch2_shown = 1;
        live_run_setup setup;
        setup.method = method_index::amperometry;
        setup.method_name = record->method;
        setup.filter_hz = 5;
        setup.rate = built.rate.value_or(1);
        setup.details = built.details;
        run.start(setup, built);
        plot->xAxis->setRange(built.x_lower, built.x_upper);
    }

    void pass(bool final)
    {
        QCPCurve *raw[2] = {record->ch1_raw_curve, record->ch2_raw_curve};
        QCPCurve *shown[2] = {record->ch1_curve, record->ch2_curve};
        const sync_mode mode = final ? sync_mode::compare_all : sync_mode::growing_prefix;
        for (int e = 0; e < live_run::electrodes; ++e) {
            if (!curve_filtering::batch_pass_due(true, run.live_count(e)) || !run.pass(e, final))
                continue;
            sync_curve(raw[e], run.live(e), mode);
            sync_curve(shown[e], run.shown(e), mode);
        }
    }

    // One received batch: decode, batch passes, curve update, and the redraw when one is due.
    void batch(int pairs, bool redraw = true)
    {
        append_samples(rx, fed, pairs);
        fed += pairs;
        run.receive(rx);
        sync_curve(window->screen_state().live_curve1, run.live(0), sync_mode::growing_prefix);
        sync_curve(window->screen_state().live_curve2, run.live(1), sync_mode::growing_prefix);
        const axis_range y = y_axis_range(run.decoding().extremes);
        plot->yAxis->setRange(y.lower, y.upper);
        pass(false);
        if (redraw)
            plot->replot(QCustomPlot::rpImmediateRefresh);
    }

    void fill(int samples)
    {
        while (fed + fill_batch <= samples)
            batch(fill_batch, false);
        if (fed < samples)
            batch(samples - fed, false);
    }
};

// Reads of `pairs` samples per electrode each; a redraw whenever 50 ms of wire time have passed since the last.
void run_receive_path(benchmark::State &state, int pairs)
{
    const int n = int(state.range(0));
    const int reads = measured_pairs / pairs;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        receive_path path(n + measured_pairs);
        // Reach the run length quickly in large reads, then time the next reads one by one.
        path.fill(n);
        path.plot->replot(QCustomPlot::rpImmediateRefresh);   // the first redraw's one-time costs stay out
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
BENCHMARK(receive_path_cpu_per_wire_second)->Arg(5000)->Arg(65000)->Arg(1000000)->Arg(8000000)
    ->Unit(benchmark::kMillisecond)->Iterations(1);

// The port handing over one sample per electrode at a time (3.3 ms on the wire), as a USB bridge may.
void receive_path_single_frame_reads(benchmark::State &state) { run_receive_path(state, 1); }
BENCHMARK(receive_path_single_frame_reads)->Arg(5000)->Arg(65000)->Arg(1000000)->Arg(8000000)
    ->Unit(benchmark::kMillisecond)->Iterations(1);

// Longest wait between two turns of the event loop while `work` runs, in ms.
template <class Work>
double longest_event_gap_ms(Work work)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    probe.start();
    last = clock.elapsed();
    work();
    longest = std::max(longest, clock.elapsed() - last);
    return double(longest);
}

// The whole life of a long record on both electrodes: filled by the receive path, the final pass, the autosave,
// and opening the file again. Peak memory counts from before the first sample to the end of the autosave.
void record_memory_and_files(benchmark::State &state)
{
    const int n = int(state.range(0));
    for (auto _ : state) {
        receive_path path(n);
        const qint64 before = status_bytes("VmRSS:");
        reset_peak_memory();
        path.fill(n);
        path.pass(true);
        path.plot->replot(QCustomPlot::rpImmediateRefresh);   // as the end of a run does before its autosave
        QElapsedTimer clock;
        clock.start();
        bool saved = false;
        const double save_gap = longest_event_gap_ms([&] { saved = path.window->autosave_record(0); });
        const double save_s = clock.elapsed() / 1000.0;
        const qint64 peak = status_bytes("VmHWM:");
        const QFileInfoList copies = QDir(QStringLiteral("Data/Temp")).entryInfoList(QDir::Files, QDir::Time);
        const QString file = copies.isEmpty() ? QString() : copies.first().filePath();
        clock.restart();
        path.window->screen_state().pending_open_path = file;
        const double open_gap = longest_event_gap_ms([&] { path.window->on_Open_clicked(); });
        const double open_s = clock.elapsed() / 1000.0;
        const int opened = path.window->experiment_records().experiment_count() == 2
                               ? path.window->experiment_records()[1].ch1_raw_curve->data()->size()
                               : 0;
        state.counters["saved"] = saved ? 1 : 0;
        state.counters["file_MB"] = double(QFileInfo(file).size()) / 1e6;
        state.counters["opened_samples"] = opened;
        state.counters["peak_rss_MB"] = double(peak) / 1e6;
        state.counters["bytes_per_sample_per_electrode"] = double(peak - before) / (2.0 * n);
        state.counters["write_s"] = save_s;
        state.counters["read_s"] = open_s;
        state.counters["longest_block_write_ms"] = save_gap;
        state.counters["longest_block_read_ms"] = open_gap;
        if (!file.isEmpty())
            QFile::remove(file);
    }
}
BENCHMARK(record_memory_and_files)->Arg(8000000)->Unit(benchmark::kMillisecond)->Iterations(1);

qint64 resident_bytes()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f.readAll().split(' ').value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

// Five long records opened and cleared again: what the program holds before they are opened, with them open,
// and after Clear All, which is to come back to within 10% of the first.
void records_memory_given_back(benchmark::State &state)
{
    const int n = int(state.range(0));
    constexpr int records = 5;
    for (auto _ : state) {
        QString file;
        {
            receive_path path(n);
            path.fill(n);
            path.pass(true);
            path.window->autosave_record(0);
            const QFileInfoList copies = QDir(QStringLiteral("Data/Temp")).entryInfoList(QDir::Files, QDir::Time);
            file = copies.isEmpty() ? QString() : copies.first().filePath();
        }
        // What making the file took is given back first, so that it does not count as the program's own.
        platform::give_back_freed_memory();
        MainWindow window;
        window.show();
        QCoreApplication::processEvents();
        const qint64 before = resident_bytes();
        for (int k = 0; k < records; ++k) {
            window.screen_state().pending_open_path = file;
            window.on_Open_clicked();
        }
        QCoreApplication::processEvents();
        const int opened = window.experiment_records().experiment_count();
        const qint64 open = resident_bytes();
        window.clear_all();
        QCoreApplication::processEvents();
        const qint64 after = resident_bytes();
        state.counters["opened_records"] = opened;
        state.counters["rss_before_MB"] = double(before) / 1e6;
        state.counters["rss_open_MB"] = double(open) / 1e6;
        state.counters["rss_cleared_MB"] = double(after) / 1e6;
        state.counters["cleared_over_before"] = double(after) / double(before);
        QFile::remove(file);
    }
}
BENCHMARK(records_memory_given_back)->Arg(8000000)->Unit(benchmark::kMillisecond)->Iterations(1);
}  // namespace

int main(int argc, char **argv)
{
    platform::share_one_heap_between_threads();   // as the program does
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
