// Cutting the received byte stream into sample frames and turning each frame into one point
// (potential or time, current) of a working electrode's live curve.
#pragma once

#include "instrument/method_parameters.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

struct parameter_frame_result;

// Frame sizes: differential pulse and square wave runs send two samples back to back.
constexpr int sample_frame_size = 72;
constexpr int pulse_frame_size = 144;

// Byte offsets within a 72-byte frame (or half of a pulse frame). 16-bit fields are little endian.
constexpr int frame_block_a_head = 0;    // block A words 0 and 1
constexpr int frame_p1 = 4;              // potential code, sample index, or 0xFFFF at the end of the run
constexpr int frame_kind_byte = 6;
constexpr int frame_range_byte = 7;      // high nibble: range number 1..7; bit 1: set WE1, clear WE2
constexpr int frame_block_a_tail = 8;    // block A words 2 to 15
constexpr int frame_p2 = 36;
constexpr int frame_block_b = 38;        // block B words 0 to 15
constexpr int frame_words_per_block = 16;
constexpr uint8_t frame_we1_bit = 0x02;

// Frame kinds (byte 6): 1 or 2 is a pulse frame, 4 or 6 a time-indexed frame, anything else a potential frame.
constexpr uint8_t frame_kind_pulse_a = 1;
constexpr uint8_t frame_kind_pulse_b = 2;
constexpr uint8_t frame_kind_time_a = 4;
constexpr uint8_t frame_kind_time_b = 6;

// One instrument potential step.
constexpr double potential_step_mV = 0.736;
// Full-scale factor of the converter: -4500 × 2^-17.
constexpr double current_scale = -4500.0 * 7.62939453125e-06;

// Divisors by gain index (range number - 1).
inline constexpr float range_gain[7] = {2.75f, 3.5f, 7.0f, 14.0f, 35.0f, 120.0f, 350.0f};
// Current resolution (µA) by gain index; index 0 has none.
inline constexpr double range_quantum_uA[7] = {0.0, 0.11743, 0.05871, 0.02936, 0.01174, 0.003425, 0.00117};

int frame_size_for(method_index running_method);

// Bytes 4 and 5 both 0xFF end the run, whatever kind of frame carries them.
bool is_end_of_run_frame(const QByteArray &frame);

// Truncates value to a whole number of the range's current steps (gain indices 1..6); other indices pass it through.
float quantize_to_range(float value, unsigned gain_index);

// Current of one 72-byte frame or half frame, from its two sample blocks and gain index 0..6.
float frame_current(const char *half, int gain_index);

struct decoded_sample {
    double x = 0;               // potential in V, or time in ms for chronoamperometry and amperometry
    float current_uA = 0;
    uint8_t electrode = 1;      // 1 = WE1, 2 = WE2
};

// Extremes of the run so far. The e_ and i_ values are exact and go into the record;
// the axis anchors keep the plot's margin and are only for the y axis.
struct run_extremes {
    bool any = false;
    float e_min = 0, e_max = 0;     // x extremes
    float i_min = 0, i_max = 0;     // current extremes (µA)
    float axis_low = 0, axis_high = 0;
};

struct axis_range {
    double lower = 0;
    double upper = 0;
};

// Folds one point into the extremes.
void update_extremes(run_extremes &extremes, float x, float current_uA);
// Widens the current range the y axis is fitted to (axis_low / axis_high) by the currents of `drawn`.
void widen_axis_extremes(run_extremes &extremes, const run_extremes &drawn);
// The y range shown for the anchors: a tenth of room on the outside of each.
axis_range y_axis_range(const run_extremes &extremes);

// Everything decoding needs to know about the run in progress, and what it keeps between frames.
// Make one at run start with start_decoding and hand the same one to every frame of the run.
struct run_decoding_context {
    // The run, fixed at its start.
    method_index method = method_index::cyclic;
    uint8_t channel_code = 1;           // electrodes recorded: 1 WE1, 2 WE2, 3 both
    uint8_t lead_time_s = 0;            // chronoamperometry lead time

    // Points handed out so far per electrode (the live curves), and the x values the time axis reuses.
    uint32_t we1_count = 0;
    uint32_t we2_count = 0;
    double we1_first_x = 0, we1_last_x = 0;
    double we2_first_x = 0;

    // Chronoamperometry time axis.
    uint16_t chrono_step_number = 0;
    float chrono_step_offset_ms = 0;
    bool chrono_lead_applied = false;

    // Amperometry: the instrument's sample index is 16 bits and starts again at 0 on long runs.
    // Each restart carries the count on from the last index seen, per electrode.
    int32_t last_index[2] = {-1, -1};   // -1 before the first frame
    uint32_t index_restarts[2] = {0, 0};
    uint64_t index_base[2] = {0, 0};    // samples counted before the latest restart

    // The record's start value: x of the first point of the electrode last appended to.
    bool e_start_known = false;
    float e_start = 0;

    run_extremes extremes;
};

run_decoding_context start_decoding(method_index running_method, const parameter_frame_result &built);

double sample_period_ms(uint8_t channel_code);

enum class frame_outcome {
    sample,         // one point decoded into `sample`
    end_of_run,     // the end-of-run frame
    dropped,        // not decodable (range number outside 1..7, or short frame); skipped
};

struct frame_result {
    frame_outcome outcome = frame_outcome::dropped;
    decoded_sample sample;
};

// Decodes one whole frame of the run's frame size and updates the context (counts, time axis, extremes).
// Every sample it returns is meant to be appended to its electrode's live curve.
frame_result decode_frame(const QByteArray &frame, run_decoding_context &ctx);

struct decoded_batch {
    std::vector<decoded_sample> samples;
    bool end_of_run = false;
    int dropped_frames = 0;
};

// Cuts every whole frame out of rx_buffer and decodes it. An end-of-run frame ends the run: the batch stops
// there and rx_buffer is emptied, as nothing behind it belongs to this run. A partial frame stays buffered.
decoded_batch decode_received(QByteArray &rx_buffer, run_decoding_context &ctx);
