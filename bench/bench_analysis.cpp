// Cost of one slider step on the analysis screen: re-smoothing at order 500, tangents and the result text
// ("Peaks"), or the Pearson scan and the result text ("Pearson's RR"), on a cycle of n points.
#include "analysis/analysis_values.h"
#include "analysis/peaks_analysis.h"
#include "analysis/pearson_scan.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

// One cycle up and down with a straight baseline and a Gaussian peak per half, plus a little noise.
analysis::series bench_cycle(int n)
{
    std::mt19937 gen(7);
    std::normal_distribution<double> noise(0.0, 0.002);
    const int half = n / 2;
    const double step = 1.2 / half, sigma = n / 80.0;
    analysis::series s;
    for (int t = 0; t < n; ++t) {
        const bool up = t <= half;
        const double key = up ? -0.4 + t * step : 0.8 - (t - half) * step;
        const double peak = up ? 8 * std::exp(-0.5 * std::pow((t - 0.6 * half) / sigma, 2))
                               : -7 * std::exp(-0.5 * std::pow((t - 1.6 * half) / sigma, 2));
        s.append(key, (up ? 1 + 2.0 * t / half : 3 - 4.0 * (t - half) / half) + peak + noise(gen));
    }
    return s;
}

analysis::result_text text_of(const analysis::peak_values &v)
{
    analysis::result_text t;
    t.experiment = QStringLiteral("CV_1");
    t.channel = QStringLiteral("1");
    t.cycle = QStringLiteral("1");
    t.rate = 100;
    t.values = v;
    t.when = QDateTime(QDate(2024, 1, 1), QTime(12, 0));
    t.user = QStringLiteral("bench");
    return t;
}

void peaks_step(benchmark::State &state)
{
    const analysis::series cycle = bench_cycle(int(state.range(0)));
    analysis::peaks_input in;
    in.source.ch1 = &cycle;
    in.rate = 100;
    in.sliders = analysis::run_peaks(in).sliders;  // the ranges the first analysis set
    in.sliders.anodic.value += 10;                 // the step: the anodic anchor moved
    for (auto _ : state) {
        const analysis::peaks_analysis p = analysis::run_peaks(in);
        benchmark::DoNotOptimize(analysis::result_lines(text_of(p.values)));
    }
}
BENCHMARK(peaks_step)->Arg(11000)->Arg(65535)->Unit(benchmark::kMillisecond);

void pearson_step(benchmark::State &state)
{
    const analysis::series cycle = bench_cycle(int(state.range(0)));
    analysis::pearson_input in;
    in.source.ch1 = &cycle;
    in.window = 200;
    in.rate_slider = 9500;
    for (auto _ : state) {
        const analysis::pearson_result p = analysis::run_pearson(in);
        benchmark::DoNotOptimize(analysis::result_lines(text_of(p.values)));
    }
}
BENCHMARK(pearson_step)->Arg(11000)->Arg(65535)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
