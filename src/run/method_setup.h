// Rules that keep the method pages consistent: the potential-step units, the scan-rate limit, Ei following Er1,
// what a method change shows, and the run-screen lines of the settings file.
#pragma once

#include "instrument/method_parameters.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

// A Method box index as a method; nothing for an index that names none (a hand-edited settings file,
// a damaged protocol), which callers then ignore.
std::optional<method_index> method_from_index(int index);

// ---- Ranges of the form's spin boxes ----

struct spin_range {
    int minimum;
    int maximum;
    int clamp(int v) const { return v < minimum ? minimum : (v > maximum ? maximum : v); }
};

namespace form_ranges {
constexpr spin_range potential_mV{-2000, 2000};   // every Ei, Ef, Er, E box
constexpr spin_range scan_rate{1, 400};           // the upper end is replaced by the rate limit
constexpr spin_range repeat{1, 99};
constexpr spin_range scan_step_mV{0, 99};         // 0 only on the way to the 0.736 mV step
constexpr spin_range dpv_step{2, 500};
constexpr spin_range dpv_width{1, 10000};
constexpr spin_range dpv_period{1, 10000};
constexpr spin_range amplitude{0, 500};           // dpv_amplitude and swv_amp
constexpr spin_range swv_step{2, 500};
constexpr spin_range swv_freq{2, 500};
constexpr spin_range lsv_rate{0, 1000};           // the upper end is replaced by the rate limit
constexpr spin_range npv_step{0, 200};
constexpr spin_range npv_width{3, 2000};
constexpr spin_range npv_period{0, 2000};
constexpr spin_range chr_t1{0, 65538};
constexpr spin_range chr_steps{0, 65535};
constexpr int64_t ampero_run_time_min_ms = 20;
constexpr int64_t ampero_run_time_max_ms = 65000000;
} // namespace form_ranges

// ---- Potential step (Scan_step) ----

// The one place that decides what the step box shows. The box holds whole millivolts 1..99, or the code 736
// for the instrument's native 0.736 mV step shown in "uV" (range 736..737, so that stepping up leaves it).
struct scan_step_box {
    int minimum = 0;
    int maximum = 99;
    int value = 1;
    QString unit = QStringLiteral("mV");
    bool operator==(const scan_step_box &o) const
    {
        return minimum == o.minimum && maximum == o.maximum && value == o.value && unit == o.unit;
    }
    bool operator!=(const scan_step_box &o) const { return !(*this == o); }
};

// The box for a step that was asked for, by the user (the box's new value) or by a stored value (a protocol,
// an experiment file). 736 stays the 0.736 mV step; 0 or less (stepping below 1 mV) becomes it; 737 (stepping
// up from it) becomes 1 mV; 1..99 stay as they are; any other value is the nearest end of the mV range, 99.
// Set the range before the value (with the box's signals blocked), so a stored 736 is never clamped to 99.
scan_step_box scan_step_box_for(int requested);

// ---- Scan-rate limit ----

// The step in mV the rate limit counts with: the step the box settles on, the 0.736 mV step counting as 1.
int rate_step_mV(int scan_step);

struct rate_limits {
    int maximum = 0;    // the new maximum of Scan_Rate and of lsv_rate
    int scan_rate = 0;  // Scan_Rate, lowered to the maximum when above it
    int lsv_rate = 0;   // lsv_rate, likewise
};

// 500 mV/s per mV of step with one electrode, 250 with both, never more than 16 bits hold.
// Work it out whenever a rate, an electrode or the step changes, and after a loaded page has set the step:
// setting the rates first would clamp them to the old step's limit.
rate_limits rate_limits_for(int scan_step, bool we1, bool we2, int scan_rate, int lsv_rate);

// ---- Ei tied to Er1 ----

struct ei_box {
    int value_mV = 0;
    bool enabled = false;   // Ei and its two labels
};
// While "Ei=Er1" is ticked Ei shows Er1 and cannot be edited; untied it keeps its own value.
ei_box ei_box_for(bool ei_equals_er1, int er1_mV, int ei_mV);

// ---- A cyclic page loaded from a protocol or a file ----

struct cv_page_load {
    cv_parameters values;   // what the boxes end up holding
    scan_step_box step_box;
    rate_limits limits;     // maximum to set on Scan_Rate and lsv_rate; lsv_rate lowered if needed
    bool ei_enabled = false;
};
// Boxes clamped to the form, the step through scan_step_box_for, and the rates limited by the new step.
// lsv_rate is the linear-sweep page's current rate, which shares the limit.
cv_page_load load_cv_page(const cv_parameters &loaded, bool we1, bool we2, int lsv_rate);

// ---- Method change ----

struct method_view {
    int page = 0;           // stackedWidget page, the method index
    int filter_mode = 0;    // filter action to check: 0 automatic .. 6 10 Hz
};
// What the screen shows for Method index `index`: its page and the filter mode chosen for it
// (automatic when the remembered one is not a mode). Nothing for an index that names no method.
std::optional<method_view> method_view_for(int index, const std::array<uint8_t, method_count> &filter_choice);

// ---- Settings file, the lines the run screen applies ----

// Each present and sensible line; a missing line, an index outside its box or a mode outside 0..6 is left out.
// Apply them in this order: electrodes, current range, method (which brings that method's filter mode),
// overlay, then the filter mode, so the file's filter choice is the one left checked.
struct run_screen_settings {
    std::optional<bool> we1;             // line 3
    std::optional<bool> we2;             // line 4
    std::optional<int> range_index;      // line 5, 0..6
    std::optional<method_index> method;  // line 6
    std::optional<bool> overlay;         // line 9, Open_Experiment_5 checked
    std::optional<int> filter_mode;      // line 16, 0..6
};
run_screen_settings run_screen_settings_from(const QStringList &lines);

// The extra lead time of a run, line 15 up to its first tab, in seconds. 0 when the line is missing or
// not a number; held to 0..255 rather than wrapped, so 300 is not taken for 44.
uint8_t extra_time_from(const QStringList &lines);
