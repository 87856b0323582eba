// How long a run will take, and what the one-second run clock shows while it goes.
#include "run/run_clock.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Everything is done in unsigned 64 bits on non-negative operands; the products saturate, so a value the form
// would never allow still gives a huge estimate rather than a wrapped, small one.
uint64_t non_negative(int64_t v) { return v < 0 ? 0u : uint64_t(v); }

uint64_t distance(int a, int b) { return uint64_t(std::llabs(int64_t(a) - int64_t(b))); }

uint64_t mul_sat(uint64_t a, uint64_t b)
{
    if (a != 0 && b > std::numeric_limits<uint64_t>::max() / a)
        return std::numeric_limits<uint64_t>::max();
    return a * b;
}

uint64_t add_sat(uint64_t a, uint64_t b)
{
    return b > std::numeric_limits<uint64_t>::max() - a ? std::numeric_limits<uint64_t>::max() : a + b;
}

// floor(numerator / denominator), 0 when there is nothing to divide by.
uint64_t div_or_zero(uint64_t numerator, uint64_t denominator) { return denominator == 0 ? 0 : numerator / denominator; }

uint64_t cyclic_seconds(const cv_parameters &p)
{
    const uint64_t rate = non_negative(p.rate_mV_s);
    if (rate == 0)
        return 0;
    // With Ei tied to Er1 the run starts at Er1, whatever the disabled Ei box still holds.
    const int ei = p.ei_equals_er1 ? p.er1_mV : p.ei_mV;
    const uint64_t window = distance(p.er2_mV, p.er1_mV);
    // First cycle from Ei, then each further cycle a full sweep there and back, counted in whole seconds.
    const uint64_t first = add_sat(distance(p.er2_mV, ei), window) / rate;
    const uint64_t per_cycle = mul_sat(2, window) / rate;
    const uint64_t further = p.repeat > 1 ? uint64_t(p.repeat - 1) : 0;
    return add_sat(first, mul_sat(per_cycle, further));
}

// Steps of `step_mV` across the window, each lasting `period_ms`.
uint64_t pulse_seconds(int ei_mV, int ef_mV, int step_mV, int period_ms)
{
    const uint64_t step = non_negative(step_mV);
    return div_or_zero(mul_sat(distance(ef_mV, ei_mV), non_negative(period_ms)), mul_sat(step, 1000));
}

} // namespace

uint64_t method_run_seconds(method_index m, const method_pages &pages)
{
    switch (m) {
    case method_index::cyclic:
        return cyclic_seconds(pages.cv);
    case method_index::differential_pulse:
        return pulse_seconds(pages.dpv.ei_mV, pages.dpv.ef_mV, pages.dpv.step_mV, pages.dpv.period_ms);
    case method_index::square_wave:
        return div_or_zero(distance(pages.swv.ef_mV, pages.swv.ei_mV),
                           mul_sat(non_negative(pages.swv.step_mV), non_negative(pages.swv.freq_Hz)));
    case method_index::linear_sweep:
        return div_or_zero(distance(pages.lsv.ef_mV, pages.lsv.ei_mV), non_negative(pages.lsv.rate_mV_s));
    case method_index::normal_pulse:
        return pulse_seconds(pages.npv.ei_mV, pages.npv.ef_mV, pages.npv.step_mV, pages.npv.period_ms);
    case method_index::chronoamperometry:
        return mul_sat(non_negative(pages.chrono.t1_ms), non_negative(pages.chrono.steps)) / 1000;
    case method_index::amperometry:
        return non_negative(pages.ampero.run_time_ms) / 1000;
    }
    return 0;
}

clock_seconds estimate_remaining_s(method_index m, const method_pages &pages, uint8_t extra_time_s)
{
    const uint64_t total = add_sat(method_run_seconds(m, pages), extra_time_s);
    return clock_seconds(std::min<uint64_t>(total, clock_seconds_max));
}

run_clock_counters clock_from_estimate(clock_seconds estimate)
{
    return run_clock_counters{estimate, 0};
}

std::optional<run_clock_counters> idle_estimate(bool run_in_progress, int method_box_index, const method_pages &pages,
                                                uint8_t extra_time_s)
{
    if (run_in_progress || method_box_index < 0 || method_box_index >= method_count)
        return std::nullopt;
    return clock_from_estimate(estimate_remaining_s(static_cast<method_index>(method_box_index), pages, extra_time_s));
}

QString clock_text(clock_seconds s)
{
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

int progress_percent(clock_seconds elapsed_before, clock_seconds remaining_after)
{
    const uint64_t done = uint64_t(elapsed_before) + 1;
    const uint64_t whole = done + remaining_after;
    return int(std::min<uint64_t>(done * 100 / whole, 100));
}

clock_display idle_display(const run_clock_counters &c)
{
    return clock_display{clock_text(0), clock_text(c.remaining_s), 0};
}

clock_tick tick_run_clock(const run_clock_counters &before)
{
    clock_tick out;
    run_clock_counters c = before;
    if (c.remaining_s != 0) {
        --c.remaining_s;
        out.display.progress = progress_percent(c.elapsed_s, c.remaining_s);
    }
    if (c.elapsed_s != clock_seconds_max)
        ++c.elapsed_s;
    out.counters = c;
    out.display.elapsed_text = clock_text(c.elapsed_s);
    out.display.remaining_text = clock_text(c.remaining_s);
    return out;
}
