// The run screen's filtering rules as functions over plain data: cut-off choice, sampling rate, order, the live
// and final passes, chronoamperometry steps, re-filtering a stored record and the details "Filter:" line.
#pragma once

#include "filtering/growing_filtfilt.h"
#include "instrument/method_parameters.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace curve_filtering {

// ---- Cut-off choice ----

// Filter modes in the order of the menu-bar actions and of settings line 16.
enum filter_mode : uint8_t {
    mode_automatic = 0,
    mode_raw = 1,
    mode_0_5hz = 2,
    mode_1hz = 3,
    mode_2hz = 4,
    mode_5hz = 5,
    mode_10hz = 6,
};
constexpr int filter_mode_count = 7;

// Cut-off named by a mode: -1 automatic, 0 raw data, else Hz. A mode outside 0..6 counts as automatic.
float mode_cutoff_hz(int mode);

// Value of the checked menu-bar filter action, from the checked states in mode order. The later test wins;
// with nothing checked it is 0.5, and the 0.5 Hz action itself is never consulted.
float selected_filter_cutoff(const std::array<bool, filter_mode_count> &checked);

// How fast a method's page sweeps the potential, in mV/s (single precision): the cyclic and linear sweep
// pages' own rates, a pulse method's pulses per second times its step, square wave's frequency times its step.
// 0 for chronoamperometry, amperometry and a pulse period of 0.
float page_scan_rate_mV_s(method_index method, const method_pages &pages);

// Samples a second of a run set up on these pages: a sweep's rate over its step (whole_step_mV), a pulse
// method's pulses per second, square wave's frequency. 0 for the time-based methods and a pulse period of 0.
float page_sampling_rate_hz(method_index method, const method_pages &pages);

// The automatic cut-off of a sweep at `scan_rate_mV_s` whose samples come `fs_hz` a second: scan rate / 20 on
// the ladder 10, 5, 2, 1, 0.5 Hz, or the scan rate / 20 itself where it lies above the ladder's top (a fast
// sweep) or the ladder's value does not lie below fs (a slow sweep, which the ladder would leave raw). With no
// sampling rate known (0) the ladder's value stands up to its top.
float automatic_cutoff_hz(float scan_rate_mV_s, float fs_hz);

// Cut-off stored in a new record at run start: `selected` (from selected_filter_cutoff) unless it is -1,
// then the automatic rule: automatic_cutoff_hz of a voltammetric method's scan rate and sampling rate;
// chronoamperometry raw data, amperometry 5 Hz.
float run_cutoff_hz(float selected, method_index method, const method_pages &pages);

// A cut-off this close to 0 means raw data.
bool is_raw_cutoff(float filter_hz);
// Whether two cut-offs smooth alike: equal, or both raw data.
bool same_cutoff(float a, float b);

// ---- Sampling rate and order ----

constexpr float two_electrode_rate_hz = 300.62247f;  // time-based methods, both electrodes recorded
constexpr float one_electrode_rate_hz = 715.4035f;   // time-based methods, one electrode recorded
constexpr double two_electrode_period_ms = 3.32643125;
constexpr double one_electrode_period_ms = 1.3978125;

constexpr int order_cap = 500;      // every pass
constexpr int order_cap_we2 = 300;  // the live and final WE2 pass of records that are not chronoamperometry

// Sampling rate by method name: cyclic and linear sweep `rate` (mV/s) over the potential step `resolution`
// (mV, or 736) counted by whole_step_mV, so 1 mV, 0.736 mV and unknown steps give `rate` itself; differential
// pulse 1000 / rate (rate holding the pulse period in ms); amperometric and chronoamperometry the fixed rate of
// the electrodes recorded; every other method `rate`.
double sampling_rate_hz(const QString &method, double rate, bool both_electrodes, uint16_t resolution);

// The same for a record; every pass takes its rate from here. A pulse method's details carry its
// "Period(ms): " line; the rate is taken from it because `rate` means 1000 / period in a record made by a run
// but the period (or width) in one read from a file.
double record_sampling_rate_hz(const QString &method, uint16_t rate, bool both_electrodes, uint16_t resolution,
                               const QStringList &details);

// Electrodes recorded: a run knows them from its channel code, a stored record from which raw curves hold points.
bool both_electrodes_of_channel(uint8_t channel_code);
bool both_electrodes_of_raw(int raw1_points, int raw2_points);

// Normalised cut-off filter_hz / fs, or 0 when there is nothing sensible to design: raw cut-off, a sampling rate
// that is zero, negative or not finite, or a result that is not below 1 (which would ask for a high-pass design).
double normalised_cutoff(float filter_hz, double fs);

// min(n div 4, cap), never below 0.
int filter_order(int n, int cap);

// ---- Passes over a curve ----

// A curve's points as key and value vectors in running order.
struct series {
    QVector<double> keys;
    QVector<double> values;
};

// What a live or final pass needs of the record.
struct live_settings {
    float filter_hz = 0;
    double fs = 0;            // from record_sampling_rate_hz
    int order_cap = curve_filtering::order_cap;
    int hold_back = 0;        // from live_hold_back: newest samples kept off the shown curve during a run
};

// Samples a live pass keeps off the shown curve during a run: one second of a sweep's samples (fs rounded up),
// the record's `rate` for every other method.
int live_hold_back(method_index method, uint16_t rate, double fs);

// A batch pass runs only while a run is in progress and its live curve holds more than 3 points.
bool batch_pass_due(bool running, int live_points);

// Live and final passes of one electrode of the running record (every method but chronoamperometry).
// Keeps the filtered head between passes, so once the order is capped a pass costs about the same at any length.
class live_filter_state {
public:
    // At run start, or whenever the live curve is emptied.
    void reset();

    // live: the electrode's live curve so far. final: the pass at the end of a run or on Stop.
    // Returns false when the pass changes nothing (a batch pass before `hold_back` samples have come in).
    // When it returns true the raw-data curve takes a copy of `live` and the shown curve takes shown().
    // The shown curve holds the smoothed first n - hold_back points during a run and all n in the final pass;
    // it holds the live points unfiltered for a raw cut-off, an unusable cut-off, or fewer than 4 points.
    bool pass(const series &live, const live_settings &s, bool final);

    const series &shown() const { return shown_; }
    bool smoothed() const { return smoothed_; }

private:
    growing_filtfilt filter_;
    series shown_;
    bool smoothed_ = false;
};

// ---- Chronoamperometry steps ----

// Where the steps of a chronoamperometry run lie in its samples.
struct chrono_layout {
    int lead_samples = 0;          // samples recorded during the lead time, before step 1
    double samples_per_step = 0;   // step time / sample period
    int steps = 0;
};

chrono_layout make_chrono_layout(uint16_t step_ms, uint16_t steps, uint8_t lead_time_s, bool both_electrodes);

// Half-open sample ranges [first, second) covering 0 .. n - 1 in order: the lead samples (if any), then one
// range per step counted from the first sample after the lead. Samples past the last planned step join the last
// step, so every sample belongs to one range.
std::vector<std::pair<int, int>> chrono_segments(const chrono_layout &layout, int n);

// Live and final passes of one electrode of a running chronoamperometry record. Each range of chrono_segments
// is smoothed on its own samples (order min(length div 4, cap)); a range too short to filter shows its raw
// samples. Finished steps are kept between passes; only the step under way is filtered again.
class chrono_filter_state {
public:
    void reset();

    // Always changes the curves: the raw-data curve takes a copy of `live`, the shown curve takes shown()
    // (all n points; a raw or unusable cut-off shows the live points).
    void pass(const series &live, float filter_hz, double fs, const chrono_layout &layout,
              int cap = curve_filtering::order_cap);

    const series &shown() const { return shown_; }

private:
    series shown_;
    static constexpr int seen_check = 1024;  // newest live values compared to notice a different series
    int seen_count_ = 0;                // live points of the previous pass
    std::vector<double> seen_tail_;     // its newest values
    bool shows_raw_ = false;            // the last pass showed the live points unfiltered
    int settled_end_ = 0;               // shown_ values before this index are final
    int current_first_ = -1;            // first sample of the range that filter_ holds
    double wn_ = 0;
    chrono_layout layout_;
    int cap_ = 0;
    growing_filtfilt filter_;
};

// ---- Stored records ----

// What the shown curve of a stored record holds for this cut-off, from its raw-data curve: the smoothed points
// (order min(n div 4, 500)), or the raw points for a raw or unusable cut-off or fewer than 5 points.
// A chronoamperometry record is smoothed here as one series.
series refiltered(const series &raw, float filter_hz, double fs);

// What a stored record needs for re-filtering beyond its raw points.
struct stored_layout {
    QString method;
    uint16_t rate = 0;        // chronoamperometry: the step time in ms
    uint16_t cycles = 0;      // chronoamperometry: the step count
    uint8_t lead_time_s = 0;
    bool both_electrodes = false;
};

// refiltered() for a stored record. A chronoamperometry record whose steps are known (step time and count
// above 0) is smoothed step by step, as the run smoothed it, so no step's start is smeared with the previous
// step's level; any other record, or one without a known plan, is smoothed as one series.
series refiltered_record(const series &raw, float filter_hz, double fs, const stored_layout &layout);

// ---- Details line ----

// The value text of a cut-off: "None" below 0.001 (negative and NaN included), else up to 6 significant digits.
QString filter_value_text(float filter_hz);

// "Filter: " + value, then "Hz" unless the value is "None".
QString filter_line_text(const QString &value);

// Index of the "Filter: " line in a record's details: 3 amperometric, 4 linear sweep, 6 every other method.
int filter_line_index(const QString &method);

// Writes the filter line for `value` into details; false (details untouched) when it has no line there.
bool set_filter_line(QStringList &details, const QString &method, const QString &value);

}  // namespace curve_filtering
