// The instrument's side of the wire for the simulated instrument and the tests.
#include "support/frame_codec.h"

#include <algorithm>
#include <cmath>

namespace {

// The instrument's sample frame, written out here on its own rather than taken from the decoder, so that a
// decoder reading a field from the wrong place or scaling it wrongly disagrees with what is sent.
// 72 bytes; 16-bit fields little endian.
constexpr int frame_bytes = 72;
constexpr int at_block_a_words_0_1 = 0;
constexpr int at_p1 = 4;                 // potential code, sample index, or 0xFFFF at the end of the run
constexpr int at_kind = 6;
constexpr int at_range = 7;              // high nibble range number 1..7; bit 1 set for WE1
constexpr int at_block_a_words_2_15 = 8;
constexpr int at_p2 = 36;
constexpr int at_block_b = 38;
constexpr uint8_t we1_bit = 0x02;
// Range gains by range number - 1, and the converter's full scale, -4500 x 2^-17.
constexpr double gains[7] = {2.75, 3.5, 7, 14, 35, 120, 350};
constexpr double full_scale = -4500.0 / 131072.0;
constexpr double mV_per_potential_step = 0.736;

uint16_t u16_at(const std::array<uint8_t, 20> &f, int i)
{
    return uint16_t(f[size_t(i)] | (f[size_t(i) + 1] << 8));
}

uint32_t u32_at(const std::array<uint8_t, 20> &f, int i)
{
    return uint32_t(u16_at(f, i)) | (uint32_t(u16_at(f, i + 2)) << 16);
}

int potential_at(const std::array<uint8_t, 20> &f, int i)
{
    return potential_from_sign_magnitude(u16_at(f, i));
}

// T × 10 back to whole seconds.
uint8_t lead_at(const std::array<uint8_t, 20> &f, int i)
{
    return uint8_t(u16_at(f, i) / 10);
}

int scan_step_from_byte(uint8_t b)
{
    return b == 0 ? step_736_uV : int(b);
}

// Smallest whole mV whose amplitude code is `code`: codes are 0.736 mV apart, so at most one mV fits each.
int amplitude_from_code(uint16_t code)
{
    return int(std::ceil(double(code) * mV_per_potential_step - 1e-9));
}

void put_u16(QByteArray &bytes, int at, uint16_t v)
{
    bytes[at] = char(v & 0xFF);
    bytes[at + 1] = char(v >> 8);
}

void put_block(QByteArray &bytes, int at, const int16_t *words, int count)
{
    for (int i = 0; i < count; ++i)
        put_u16(bytes, at + 2 * i, uint16_t(words[i]));
}

uint8_t range_byte_for(int range_number, uint8_t electrode)
{
    return uint8_t(((range_number & 0x0F) << 4) | (electrode == 1 ? we1_bit : 0));
}

constexpr uint16_t potential_code_base = 0x4000;

uint16_t potential_code(int32_t offset)
{
    return uint16_t(std::clamp<int32_t>(int32_t(potential_code_base) + offset, 0, 0xFFFE));
}

}  // namespace

int potential_from_sign_magnitude(uint16_t code)
{
    const int magnitude = code & 0x0FFF;
    return (code & 0x1000) ? -magnitude : magnitude;
}

parsed_frame parse_parameter_frame(const QByteArray &bytes)
{
    if (bytes.size() < parameter_frame_size)
        return {};
    std::array<uint8_t, 20> f{};
    for (int i = 0; i < parameter_frame_size; ++i)
        f[size_t(i)] = uint8_t(bytes.at(i));
    return parse_parameter_frame(f);
}

parsed_frame parse_parameter_frame(const std::array<uint8_t, 20> &f)
{
    parsed_frame out;
    out.channel_bits = f[0] & 0xF0;
    const uint8_t code = f[0] & 0x0F;
    const auto method_it = std::find(std::begin(method_codes), std::end(method_codes), code);
    const auto range_it = std::find(std::begin(range_codes), std::end(range_codes), f[1]);
    const bool channels_ok = out.channel_bits == 0x10 || out.channel_bits == 0x20 || out.channel_bits == 0x30;
    if (method_it == std::end(method_codes) || range_it == std::end(range_codes) || !channels_ok)
        return out;
    out.valid = true;
    out.method = method_index(method_it - std::begin(method_codes));
    out.range_index = int(range_it - std::begin(range_codes));
    out.we1 = out.channel_bits & 0x10;
    out.we2 = out.channel_bits & 0x20;

    method_pages &pg = out.pages;
    switch (out.method) {
    case method_index::cyclic:
        pg.cv.rate_mV_s = u16_at(f, 2);
        pg.cv.ei_mV = potential_at(f, 4);
        pg.cv.er1_mV = potential_at(f, 6);
        pg.cv.er2_mV = potential_at(f, 8);
        pg.cv.ei_equals_er1 = pg.cv.ei_mV == pg.cv.er1_mV;
        out.extra_time_s = lead_at(f, 10);
        out.scan_step = scan_step_from_byte(f[12]);
        pg.cv.step = out.scan_step;
        pg.cv.repeat = f[13];
        break;
    case method_index::differential_pulse:
        pg.dpv.ei_mV = potential_at(f, 2);
        pg.dpv.ef_mV = potential_at(f, 4);
        out.extra_time_s = lead_at(f, 6);
        pg.dpv.step_mV = f[8];
        pg.dpv.width_ms = u16_at(f, 11);
        pg.dpv.period_ms = pg.dpv.width_ms + u16_at(f, 9);
        pg.dpv.amplitude_mV = amplitude_from_code(u16_at(f, 13));
        out.scan_step = scan_step_from_byte(f[15]);
        break;
    case method_index::square_wave:
        pg.swv.ei_mV = potential_at(f, 2);
        pg.swv.ef_mV = potential_at(f, 4);
        out.extra_time_s = lead_at(f, 6);
        pg.swv.step_mV = f[8];
        pg.swv.freq_Hz = u16_at(f, 9);
        pg.swv.amplitude_mV = amplitude_from_code(u16_at(f, 11));
        out.scan_step = scan_step_from_byte(f[13]);
        break;
    case method_index::linear_sweep:
        pg.lsv.rate_mV_s = u16_at(f, 2);
        out.extra_time_s = f[5];
        pg.lsv.ei_mV = potential_at(f, 6);
        pg.lsv.ef_mV = potential_at(f, 8);
        out.scan_step = scan_step_from_byte(f[10]);
        break;
    case method_index::normal_pulse:
        pg.npv.width_ms = u16_at(f, 2);
        pg.npv.period_ms = pg.npv.width_ms + u16_at(f, 4);
        pg.npv.step_mV = u16_at(f, 6);
        pg.npv.ef_mV = potential_at(f, 8);
        pg.npv.ei_mV = potential_at(f, 10);
        out.scan_step = scan_step_from_byte(f[12]);
        out.extra_time_s = lead_at(f, 17);
        break;
    case method_index::chronoamperometry:
        pg.chrono.ei_mV = potential_at(f, 2);
        pg.chrono.e1_mV = potential_at(f, 4);
        pg.chrono.e2_mV = potential_at(f, 6);
        out.extra_time_s = lead_at(f, 8);
        pg.chrono.t1_ms = int(u32_at(f, 10));
        pg.chrono.steps = u16_at(f, 14);
        out.scan_step = scan_step_from_byte(f[16]);
        break;
    case method_index::amperometry:
        pg.ampero.run_time_ms = u32_at(f, 2);
        pg.ampero.potential_mV = potential_at(f, 6);
        out.extra_time_s = lead_at(f, 12);
        out.scan_step = 0;
        break;
    }
    return out;
}

QByteArray encode_raw_frame(const raw_frame_fields &fields)
{
    QByteArray bytes(frame_bytes, '\0');
    put_block(bytes, at_block_a_words_0_1, fields.block_a.data(), 2);
    put_u16(bytes, at_p1, fields.p1);
    bytes[at_kind] = char(fields.kind);
    bytes[at_range] = char(fields.range_byte);
    put_block(bytes, at_block_a_words_2_15, fields.block_a.data() + 2, 14);
    put_u16(bytes, at_p2, fields.p2);
    put_block(bytes, at_block_b, fields.block_b.data(), 16);
    return bytes;
}

int32_t raw_difference_for_current(float current_uA, int range_number)
{
    const int gain_index = std::clamp(range_number - 1, 0, 6);
    const double d = std::round(double(current_uA) * gains[gain_index] / full_scale);
    constexpr double limit = 2.0 * 16 * 32767 / 4;   // both blocks at full swing
    return int32_t(std::clamp(d, -limit, limit));
}

namespace {

// Sixteen words summing to exactly `sum` (|sum| <= 16 × 32767).
void fill_block(std::array<int16_t, 16> &block, int32_t sum)
{
    const int32_t base = sum / 16;
    int32_t remainder = sum - 16 * base;
    for (auto &w : block) {
        int32_t v = base;
        if (remainder > 0) {
            ++v;
            --remainder;
        } else if (remainder < 0) {
            --v;
            ++remainder;
        }
        w = int16_t(v);
    }
}

}  // namespace

void fill_blocks_for_difference(int32_t difference, std::array<int16_t, 16> &block_a, std::array<int16_t, 16> &block_b)
{
    // Block A carries up to a quarter of its full swing; block B the rest with the opposite sign.
    // Both sums are multiples of 4 so the decoder's quarter-sums lose nothing.
    constexpr int32_t block_limit = 16 * 32767 / 4;
    const int32_t a = std::clamp(difference, -block_limit, block_limit);
    const int32_t b = std::clamp(a - difference, -block_limit, block_limit);
    fill_block(block_a, 4 * a);
    fill_block(block_b, 4 * b);
}

int32_t potential_code_difference(double potential_V)
{
    return int32_t(std::lround(potential_V * 1000.0 / mV_per_potential_step));
}

QByteArray encode_sample_frame(const sample_frame_values &v)
{
    raw_frame_fields f;
    f.range_byte = range_byte_for(v.range_number, v.electrode);
    switch (v.type) {
    case sample_frame_type::potential: {
        f.kind = 0;
        f.p1 = potential_code_base;
        f.p2 = potential_code(potential_code_difference(v.potential_V));
        fill_blocks_for_difference(raw_difference_for_current(v.current_uA, v.range_number), f.block_a, f.block_b);
        return encode_raw_frame(f);
    }
    case sample_frame_type::time_indexed: {
        f.kind = v.time_kind;
        f.p1 = v.sample_index;
        fill_blocks_for_difference(raw_difference_for_current(v.current_uA, v.range_number), f.block_a, f.block_b);
        return encode_raw_frame(f);
    }
    case sample_frame_type::pulse: {
        raw_frame_fields h1 = f;
        h1.kind = v.pulse_kind;
        h1.p1 = potential_code(potential_code_difference(v.potential_V));
        fill_blocks_for_difference(raw_difference_for_current(v.half1_current_uA, v.range_number), h1.block_a,
                                   h1.block_b);
        raw_frame_fields h2 = f;
        h2.kind = v.pulse_kind;
        h2.p1 = potential_code_base;
        fill_blocks_for_difference(raw_difference_for_current(v.half2_current_uA, v.range_number), h2.block_a,
                                   h2.block_b);
        return encode_raw_frame(h1) + encode_raw_frame(h2);
    }
    }
    return {};
}

QByteArray encode_end_of_run_frame(int frame_size)
{
    QByteArray bytes(std::max(frame_size, at_p1 + 2), '\0');
    bytes[at_p1] = char(0xFF);
    bytes[at_p1 + 1] = char(0xFF);
    return bytes;
}
