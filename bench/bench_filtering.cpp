// Cost of the zero-phase filter and of the run screen's live pass as a run grows.
#include "filtering/curve_filtering.h"
#include "filtering/fir_filter.h"

#include <benchmark/benchmark.h>

#include <utility>

#include <cmath>
#include <random>

namespace {

curve_filtering::series make_live(int n, unsigned seed)
{
    std::mt19937 gen(seed);
    std::normal_distribution<double> noise(0.0, 0.2);
    curve_filtering::series s;
    s.keys.reserve(n);
    s.values.reserve(n);
    for (int i = 0; i < n; ++i) {
        s.keys.push_back((i + 1) * 3.32643125);
        s.values.push_back(5.0 * std::sin(i * 0.002) + noise(gen));
    }
    return s;
}

curve_filtering::series head(const curve_filtering::series &s, int n)
{
    return {s.keys.mid(0, n), s.values.mid(0, n)};
}

constexpr int batch_samples = 16;  // samples per electrode in one received batch of a two-electrode run

void filtfilt_65536_order_500(benchmark::State &state)
{
    const auto live = make_live(65536, 1);
    const std::vector<double> x(live.values.begin(), live.values.end());
    const auto b = arma::conv_to<std::vector<double>>::from(fir_filter::fir1(500, 0.007f));
    std::vector<double> y;
    for (auto _ : state) {
        fir_filter::filtfilt(b, {1.0}, x, y);
        benchmark::DoNotOptimize(y.data());
    }
}
BENCHMARK(filtfilt_65536_order_500)->Unit(benchmark::kMillisecond);

// The live settings of a two-electrode amperometric run at 5 Hz: WE1 and WE2 (WE2 has its own order cap).
std::pair<curve_filtering::live_settings, curve_filtering::live_settings> two_electrode_settings()
{
    curve_filtering::live_settings s1;
    s1.filter_hz = 5;
    s1.fs = double(curve_filtering::two_electrode_rate_hz);
    s1.hold_back = 1;
    curve_filtering::live_settings s2 = s1;
    s2.order_cap = curve_filtering::order_cap_we2;
    return {s1, s2};
}

// One batch pass over both electrodes of an amperometric run that has reached n samples per electrode.
void live_batch_pass_two_electrodes(benchmark::State &state)
{
    const int n = int(state.range(0));
    const auto we1 = make_live(n, 2), we2 = make_live(n, 3);
    const auto [s1, s2] = two_electrode_settings();

    const auto before1 = head(we1, n - batch_samples), before2 = head(we2, n - batch_samples);

    curve_filtering::live_filter_state st1, st2;
    for (auto _ : state) {
        // The states as they stand after the previous batch, built afresh so that no buffer is shared with a copy;
        // freeing the previous iteration's buffers is kept out of the timing too.
        state.PauseTiming();
        st1 = curve_filtering::live_filter_state();
        st2 = curve_filtering::live_filter_state();
        st1.pass(before1, s1, false);
        st2.pass(before2, s2, false);
        state.ResumeTiming();
        st1.pass(we1, s1, false);
        st2.pass(we2, s2, false);
        benchmark::DoNotOptimize(st1.shown().values.constData());
        benchmark::DoNotOptimize(st2.shown().values.constData());
    }
}
BENCHMARK(live_batch_pass_two_electrodes)->Arg(5000)->Arg(20000)->Arg(65000)->Unit(benchmark::kMillisecond);

// The same pass filtering both electrodes from the first sample again, for comparison.
void whole_refilter_pass_two_electrodes(benchmark::State &state)
{
    const int n = int(state.range(0));
    const auto we1 = make_live(n, 2), we2 = make_live(n, 3);
    const auto [s1, s2] = two_electrode_settings();
    for (auto _ : state) {
        curve_filtering::live_filter_state st1, st2;
        st1.pass(we1, s1, false);
        st2.pass(we2, s2, false);
        benchmark::DoNotOptimize(st1.shown().values.constData());
        benchmark::DoNotOptimize(st2.shown().values.constData());
    }
}
BENCHMARK(whole_refilter_pass_two_electrodes)->Arg(5000)->Arg(20000)->Arg(65000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
