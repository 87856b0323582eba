// The 20-byte parameter frame that starts a run, one builder per method, together with the
// details lines, record fields and x-axis range that go with the run it starts.
#pragma once

#include "instrument/method_names.h"
#include "instrument/method_parameters.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

using parameter_frame = std::array<uint8_t, 20>;
constexpr int parameter_frame_size = 20;

// Method code in the low nibble of byte 0, by method index.
inline constexpr uint8_t method_codes[method_count] = {2, 4, 8, 12, 6, 10, 3};

// Range code by Current_Range index ("2250" down to "2.25" µA). The codes rise by 4; the smallest range
// continues the step, so every index the box offers sends a code.
inline constexpr uint8_t range_codes[7] = {8, 12, 16, 20, 24, 28, 32};
constexpr int range_index_count = 7;

// Sample periods of the instrument (ms): one electrode, and both electrodes interleaved.
constexpr double sample_period_one_ms = 1.3978125;
constexpr double sample_period_both_ms = 3.32643125;


// Whole millivolts as sign and magnitude: bit 12 is the sign, bits 0-11 the magnitude.
uint16_t sign_magnitude_potential(int potential_mV);
// 0x10 WE1 only, 0x30 both, 0x20 whenever WE1 is off (the instrument then records WE2).
uint8_t channel_mask(bool we1, bool we2);
// Out-of-range indices are clamped to the nearest range the box offers.
uint8_t range_code(int range_index);
// Pulse amplitude in instrument steps of 0.736 mV: the quotient in single precision, truncated.
uint16_t amplitude_code(int amplitude_mV);
// Scan_step as sent: 0 for the 0.736 mV step, else the step's low byte.
uint8_t resolution_byte(int scan_step);

// Details lines shared with the file readers and the filter menus.
QString filter_details_line(float filter_hz);
QString date_details_line(const QDateTime &when);
QString user_details_line(const QString &user);
QString device_details_line(uint8_t device_id);

// What run start knows besides the method page, for the details lines.
struct details_context {
    float filter_hz = 0;        // the new record's cut-off, already decided by run start
    QDateTime started;          // local date and time of the start
    QString user;               // user box text
    uint8_t device_id = 0;      // id of the connected instrument
};

// Time-axis state of a chronoamperometry run, reset by its builder.
struct chrono_axis_start {
    uint16_t step_number = 0;
    float step_offset_ms = 0;   // t1 minus one sample period
};

// One built frame and everything the builder decides about the new record and the plot.
struct parameter_frame_result {
    parameter_frame frame{};
    QStringList details;            // the record's details list, in the order the file writers read it
    uint8_t channel_code = 0;       // 1 WE1, 2 WE2, 3 both
    uint16_t resolution = 0;        // Scan_step (736 stays 736)
    std::optional<uint16_t> rate;   // amperometry: 1; chronoamperometry: t1 (ms)
    std::optional<uint8_t> lead_time_s;     // chronoamperometry
    std::optional<uint16_t> cycles;         // chronoamperometry: steps
    std::optional<float> e_start;           // chronoamperometry: E1 in mV, as it has always been stored
    std::optional<chrono_axis_start> chrono_axis;   // chronoamperometry
    double x_lower = 0;             // plot x range: V for voltammetry, ms for the time methods
    double x_upper = 0;
};

// Per-method builders. scan_step is the cyclic page's Scan_step, which every method's resolution follows.
parameter_frame_result build_cv_frame(const cv_parameters &p, const run_settings &run, const details_context &ctx);
parameter_frame_result build_dpv_frame(const dpv_parameters &p, int scan_step, const run_settings &run,
                                       const details_context &ctx);
parameter_frame_result build_swv_frame(const swv_parameters &p, int scan_step, const run_settings &run,
                                       const details_context &ctx);
parameter_frame_result build_lsv_frame(const lsv_parameters &p, int scan_step, const run_settings &run,
                                       const details_context &ctx);
parameter_frame_result build_npv_frame(const npv_parameters &p, int scan_step, const run_settings &run,
                                       const details_context &ctx);
parameter_frame_result build_chrono_frame(const chrono_parameters &p, int scan_step, const run_settings &run,
                                          const details_context &ctx);
parameter_frame_result build_ampero_frame(const ampero_parameters &p, int scan_step, const run_settings &run,
                                          const details_context &ctx);

// The builder of method m, reading its page from pages (Scan_step from pages.cv.step).
parameter_frame_result build_parameter_frame(method_index m, const method_pages &pages, const run_settings &run,
                                             const details_context &ctx);
