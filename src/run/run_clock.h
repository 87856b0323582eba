// How long a run will take, and what the one-second run clock shows while it goes.
#pragma once

#include "instrument/method_parameters.h"

#include <QString>
#include <cstdint>
#include <limits>
#include <optional>

// Seconds on the run clock. 32 bits because the longest chronoamperometry the form allows
// (65538 ms x 65535 steps) lasts about 4.3 million seconds, and a 99-cycle scan at 1 mV/s about 792,000;
// 16-bit counters would wrap and show a run as nearly over when it has barely begun.
using clock_seconds = uint32_t;
constexpr clock_seconds clock_seconds_max = std::numeric_limits<clock_seconds>::max();

// Whole seconds a run of method `m` takes with the values of its page, truncated toward zero.
// Exact 64-bit integer arithmetic that saturates instead of overflowing. A run whose divisor is 0
// (a rate, step, frequency or period of 0) has no estimate and gives 0.
uint64_t method_run_seconds(method_index m, const method_pages &pages);

// The estimate the clock starts from: the run plus the lead time, saturated to the clock's range.
clock_seconds estimate_remaining_s(method_index m, const method_pages &pages, uint8_t extra_time_s);

// The two counters of the run clock.
struct run_clock_counters {
    clock_seconds remaining_s = 0;
    clock_seconds elapsed_s = 0;
};

// The counters as the estimate leaves them while no run is going.
run_clock_counters clock_from_estimate(clock_seconds estimate);

// The estimate as the Method box and the pages stand. Nothing while a run is going (its clock runs from the
// estimate made before the start) and nothing for a box index that names no method (the last estimate stands).
std::optional<run_clock_counters> idle_estimate(bool run_in_progress, int method_box_index, const method_pages &pages,
                                                uint8_t extra_time_s);

// Minutes, a colon and two-digit seconds: 0:07, 1:23, 12:00. Minutes are not folded into hours.
QString clock_text(clock_seconds s);

// Progress after a tick that lowered the remaining time: (elapsed + 1) / (elapsed + remaining + 1) x 100,
// truncated, with the elapsed time not yet raised. Never above 100.
int progress_percent(clock_seconds elapsed_before, clock_seconds remaining_after);

// What the clock displays show.
struct clock_display {
    QString elapsed_text;
    QString remaining_text;
    std::optional<int> progress;   // nothing: leave the progress bar as it is
};

// The displays right after an estimate: elapsed 0:00, the estimate, progress 0.
clock_display idle_display(const run_clock_counters &c);

// One second of the run clock. The remaining time stops at 0 (and the progress bar is then left alone)
// while the elapsed time goes on counting until the run ends; neither counter wraps.
struct clock_tick {
    run_clock_counters counters;
    clock_display display;
};
clock_tick tick_run_clock(const run_clock_counters &before);
