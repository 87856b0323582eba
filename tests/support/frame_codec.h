// The instrument's side of the wire, for the simulated instrument and the tests: reading a parameter frame
// back into method values, and encoding sample frames that the program's decoder turns into given values.
#pragma once

#include "instrument/method_parameters.h"
#include "instrument/parameter_frames.h"

#include <QByteArray>
#include <array>
#include <cstdint>

// ---- Parameter frames -------------------------------------------------------------------------

// A parameter frame read back. Only the page of `method` is filled; the others keep their defaults.
// Pulse amplitudes travel in 0.736 mV steps; each step count belongs to at most one whole mV value,
// so they read back exactly.
struct parsed_frame {
    bool valid = false;             // byte 0 named a known method and channel bits, byte 1 a known range
    method_index method = method_index::cyclic;
    uint8_t channel_bits = 0;       // 0x10, 0x20 or 0x30
    bool we1 = false;               // electrodes the instrument records
    bool we2 = false;
    int range_index = 0;            // Current_Range index 0..6
    uint8_t extra_time_s = 0;       // lead time T
    int scan_step = 0;              // resolution byte, 0 read back as step_736_uV; 0 for amperometry (none sent)
    method_pages pages;
};

parsed_frame parse_parameter_frame(const std::array<uint8_t, 20> &frame);
// Same, from 20 raw bytes (fewer bytes give an invalid result).
parsed_frame parse_parameter_frame(const QByteArray &bytes);

// Sign-magnitude potential back to mV.
int potential_from_sign_magnitude(uint16_t code);

// ---- Sample frames ----------------------------------------------------------------------------

// Raw contents of one 72-byte frame: what the instrument measured, before any scaling.
struct raw_frame_fields {
    uint16_t p1 = 0;                // potential code, sample index, or 0xFFFF for the end of the run
    uint8_t kind = 0;
    uint8_t range_byte = 0;         // high nibble range number, bit 1 set for WE1
    uint16_t p2 = 0;
    std::array<int16_t, 16> block_a{};
    std::array<int16_t, 16> block_b{};
};

QByteArray encode_raw_frame(const raw_frame_fields &fields);

enum class sample_frame_type {
    potential,      // cyclic, linear sweep, normal pulse: x is a potential
    time_indexed,   // chronoamperometry and amperometry: x follows the sample index
    pulse,          // differential pulse and square wave: 144 bytes, two halves
};

// Physical values of one frame to encode.
struct sample_frame_values {
    sample_frame_type type = sample_frame_type::potential;
    uint8_t electrode = 1;          // 1 = WE1, 2 = WE2
    int range_number = 3;           // 1..7 (gain index + 1); other values make a frame the decoder drops
    double potential_V = 0;         // potential and pulse frames
    uint16_t sample_index = 0;      // time-indexed frames
    uint8_t time_kind = 4;          // 4 or 6 for time-indexed frames
    uint8_t pulse_kind = 1;         // 1 or 2 for pulse frames
    float current_uA = 0;           // potential and time-indexed frames
    float half1_current_uA = 0;     // pulse frames: each half's current (the plotted value is their difference,
    float half2_current_uA = 0;     //   I2 - I1 in differential pulse runs, I1 - I2 in square wave runs)
};

// 72 bytes, or 144 for a pulse frame. Currents are rounded to the nearest raw value the range can
// express (and clipped to what 16 signed words per block can hold); the decoder then truncates to the
// range's current step, so decode(encode(v)) is within one step (plus rounding) of v.
QByteArray encode_sample_frame(const sample_frame_values &values);

// The end-of-run frame: bytes 4 and 5 0xFF, everything else 0. frame_size is 72 or 144.
QByteArray encode_end_of_run_frame(int frame_size);

// Raw difference D (sumA/4 - sumB/4) closest to current_uA for a range number (1..7).
int32_t raw_difference_for_current(float current_uA, int range_number);
// Fills two blocks whose sums give exactly that difference.
void fill_blocks_for_difference(int32_t difference, std::array<int16_t, 16> &block_a, std::array<int16_t, 16> &block_b);
// Potential code difference (P2 - P1, or P1 of half 1 - P1 of half 2) nearest potential_V.
int32_t potential_code_difference(double potential_V);
