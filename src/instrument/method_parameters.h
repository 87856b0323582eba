// A method's settings as values: what the run screen's method pages hold when Start is pressed.
// The frame builders, the duration estimate and the protocol files all take these instead of widgets.
#pragma once

#include <cstdint>

enum class method_index : uint8_t {
    cyclic = 0,
    differential_pulse = 1,
    square_wave = 2,
    linear_sweep = 3,
    normal_pulse = 4,
    chronoamperometry = 5,
    amperometry = 6,
};
constexpr int method_count = 7;

// The potential step meaning "0.736 mV"; every other step is whole millivolts.
constexpr int step_736_uV = 736;

// A potential step in whole millivolts as the scan-rate limits count it: the 0.736 mV step, and a step of 0
// (none known), count as 1 mV. A sweep at v mV/s in these steps takes v / step samples a second.
constexpr int whole_step_mV(int step)
{
    return (step <= 0 || step == step_736_uV) ? 1 : step;
}

struct cv_parameters {           // page 0
    int er1_mV = -1000;
    int er2_mV = 1000;
    int ei_mV = -1000;
    bool ei_equals_er1 = true;
    int rate_mV_s = 20;
    int repeat = 1;
    int step = 1;                // Scan_step: mV, or step_736_uV
};

struct dpv_parameters {          // page 1
    int ei_mV = -1000;
    int ef_mV = 1000;
    int step_mV = 2;
    int width_ms = 10;
    int period_ms = 20;
    int amplitude_mV = 50;
};

struct swv_parameters {          // page 2
    int ei_mV = -1000;
    int ef_mV = 1000;
    int step_mV = 2;
    int freq_Hz = 20;
    int amplitude_mV = 5;
};

struct lsv_parameters {          // page 3
    int ei_mV = -1000;
    int ef_mV = 1000;
    int rate_mV_s = 20;
};

struct npv_parameters {          // page 4
    int ei_mV = -1000;
    int ef_mV = 1000;
    int step_mV = 10;
    int width_ms = 5;
    int period_ms = 10;
};

struct chrono_parameters {       // page 5
    int ei_mV = 500;
    int e1_mV = 1000;
    int e2_mV = -1000;
    int t1_ms = 200;
    int steps = 1;
};

struct ampero_parameters {       // page 6
    int potential_mV = -100;
    int64_t run_time_ms = 20;    // up to 65,000,000 ms
};

// Everything one run needs besides the method page: electrodes, range and lead time.
struct run_settings {
    bool we1 = true;
    bool we2 = true;
    int range_index = 2;         // Current_Range index 0..6
    uint8_t extra_time_s = 0;    // quiet time before the run
};

// All seven pages at once, as the form holds them.
struct method_pages {
    cv_parameters cv;
    dpv_parameters dpv;
    swv_parameters swv;
    lsv_parameters lsv;
    npv_parameters npv;
    chrono_parameters chrono;
    ampero_parameters ampero;
};
