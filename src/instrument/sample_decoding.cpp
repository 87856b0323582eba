// Receive framing and sample decoding.
#include "instrument/sample_decoding.h"

#include "instrument/parameter_frames.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Bounds-checked little-endian reads: a frame shorter than expected never reads past its end.
uint8_t byte_at(const char *data, int size, int at)
{
    return (at >= 0 && at < size) ? uint8_t(data[at]) : 0;
}

uint16_t u16_at(const char *data, int size, int at)
{
    return uint16_t(byte_at(data, size, at) | (byte_at(data, size, at + 1) << 8));
}

int16_t word_at(const char *data, int at)
{
    return int16_t(uint16_t(uint8_t(data[at]) | (uint8_t(data[at + 1]) << 8)));
}

bool is_pulse_kind(uint8_t kind)
{
    return kind == frame_kind_pulse_a || kind == frame_kind_pulse_b;
}

bool is_time_kind(uint8_t kind)
{
    return kind == frame_kind_time_a || kind == frame_kind_time_b;
}

// Gain index from the range number in the high nibble; -1 when the number has no gain entry.
int gain_index_of(uint8_t range_byte)
{
    const int r = range_byte >> 4;
    return (r >= 1 && r <= 7) ? r - 1 : -1;
}

uint8_t electrode_of(uint8_t range_byte)
{
    return (range_byte & frame_we1_bit) ? 1 : 2;
}

void record_point(run_decoding_context &ctx, const decoded_sample &s)
{
    if (s.electrode == 1) {
        if (ctx.we1_count == 0)
            ctx.we1_first_x = s.x;
        ctx.we1_last_x = s.x;
        ++ctx.we1_count;
    } else {
        if (ctx.we2_count == 0)
            ctx.we2_first_x = s.x;
        ++ctx.we2_count;
    }
    update_extremes(ctx.extremes, float(s.x), s.current_uA);
}

void note_start_value(run_decoding_context &ctx, uint8_t electrode)
{
    ctx.e_start_known = true;
    ctx.e_start = float(electrode == 1 ? ctx.we1_first_x : ctx.we2_first_x);
}

// Time in ms of a time-indexed frame, including the chronoamperometry step and lead-time offsets.
double time_axis_ms(const char *data, int size, uint8_t electrode, run_decoding_context &ctx)
{
    const uint16_t index = u16_at(data, size, frame_p1);
    const double period = sample_period_ms(ctx.channel_code);

    // Long amperometric runs outgrow the 16-bit index. Where it falls back, time carries on from the
    // last index seen instead of jumping back to the start of the run.
    uint64_t samples = index;
    if (ctx.method == method_index::amperometry) {
        const int slot = electrode - 1;
        if (ctx.last_index[slot] >= 0 && int32_t(index) < ctx.last_index[slot]) {
            ++ctx.index_restarts[slot];
            ctx.index_base[slot] += uint64_t(ctx.last_index[slot]) + 1;
        }
        ctx.last_index[slot] = index;
        samples += ctx.index_base[slot];
    }
    double x = double(samples + 1) * period;

    // Index 0 starts a potential step; with both electrodes only the WE1 frame counts it.
    if (index == 0 && (ctx.channel_code != 3 || electrode == 1)) {
        if (ctx.chrono_step_number < std::numeric_limits<uint16_t>::max())
            ++ctx.chrono_step_number;
    }

    if (ctx.method != method_index::chronoamperometry)
        return x;

    const double lead_ms = double(ctx.lead_time_s) * 1000.0;
    uint32_t reference_count = 0;
    int32_t lead_samples = 0;
    if (ctx.we1_count > 0) {
        reference_count = ctx.we1_count;
        const double p = ctx.we2_count > 0 ? sample_period_both_ms : sample_period_one_ms;
        lead_samples = int32_t(float(lead_ms / p));
    } else if (ctx.we2_count > 0) {
        reference_count = ctx.we2_count;
        lead_samples = int32_t(float(lead_ms / sample_period_one_ms));
    }
    double lead = 0;
    if (reference_count > 0 && lead_samples >= 1 && reference_count >= uint32_t(lead_samples)) {
        lead = lead_ms;
        if (!ctx.chrono_lead_applied) {
            // The lead's own index-0 frame counted a step that is not one.
            if (ctx.chrono_step_number > 0)
                --ctx.chrono_step_number;
            ctx.chrono_lead_applied = true;
        }
    }
    // Before any step began (a run whose index-0 frame was missed) there is no step to offset by: a
    // step number of 0 would otherwise move every time one step earlier.
    const int steps_before = std::max(int(ctx.chrono_step_number) - 1, 0);
    x += double(steps_before) * double(ctx.chrono_step_offset_ms) + lead;

    // WE2 is measured alongside WE1: it shares WE1's time.
    if (electrode == 2 && ctx.we1_count > 0)
        x = ctx.we1_last_x;
    return x;
}

frame_result decode_single(const char *data, int size, run_decoding_context &ctx)
{
    frame_result out;
    if (size < sample_frame_size)
        return out;
    const uint8_t range_byte = byte_at(data, size, frame_range_byte);
    const int gain_index = gain_index_of(range_byte);
    if (gain_index < 0)
        return out;
    const uint8_t electrode = electrode_of(range_byte);

    decoded_sample s;
    s.electrode = electrode;
    if (is_time_kind(byte_at(data, size, frame_kind_byte))) {
        s.x = time_axis_ms(data, size, electrode, ctx);
    } else {
        const int32_t steps = int32_t(u16_at(data, size, frame_p2)) - int32_t(u16_at(data, size, frame_p1));
        s.x = steps * potential_step_mV / 1000.0;
    }
    s.current_uA = frame_current(data, gain_index);

    record_point(ctx, s);
    note_start_value(ctx, electrode);
    out.outcome = frame_outcome::sample;
    out.sample = s;
    return out;
}

frame_result decode_pulse(const char *data, int size, run_decoding_context &ctx)
{
    frame_result out;
    if (size < pulse_frame_size)
        return out;
    const char *half2 = data + sample_frame_size;
    const uint8_t range_byte = byte_at(data, size, frame_range_byte);
    const int gain_index = gain_index_of(range_byte);
    if (gain_index < 0)
        return out;

    const int32_t steps = int32_t(u16_at(data, size, frame_p1)) - int32_t(u16_at(data, size, sample_frame_size + frame_p1));
    const float i1 = frame_current(data, gain_index);
    const float i2 = frame_current(half2, gain_index);

    decoded_sample s;
    s.electrode = electrode_of(range_byte);
    s.x = double(float(steps * potential_step_mV / 1000.0));
    // Differential pulse reports the reverse difference; the sign belongs to the run, not to the form.
    s.current_uA = ctx.method == method_index::differential_pulse ? i2 - i1 : i1 - i2;

    record_point(ctx, s);
    out.outcome = frame_outcome::sample;
    out.sample = s;
    return out;
}

frame_result decode_bytes(const char *data, int size, run_decoding_context &ctx)
{
    if (size > frame_p1 + 1 && byte_at(data, size, frame_p1) == 0xFF && byte_at(data, size, frame_p1 + 1) == 0xFF) {
        frame_result end;
        end.outcome = frame_outcome::end_of_run;
        return end;
    }
    if (is_pulse_kind(byte_at(data, size, frame_kind_byte)))
        return decode_pulse(data, size, ctx);
    return decode_single(data, size, ctx);
}

}  // namespace

int frame_size_for(method_index running_method)
{
    return (running_method == method_index::differential_pulse || running_method == method_index::square_wave)
               ? pulse_frame_size
               : sample_frame_size;
}

bool is_end_of_run_frame(const QByteArray &frame)
{
    return frame.size() > frame_p1 + 1 && uint8_t(frame.at(frame_p1)) == 0xFF && uint8_t(frame.at(frame_p1 + 1)) == 0xFF;
}

float quantize_to_range(float value, unsigned gain_index)
{
    if (gain_index < 1 || gain_index > 6)
        return value;
    const double step = range_quantum_uA[gain_index];
    const double n = std::trunc(double(value) / step);
    const double limit = double(std::numeric_limits<int32_t>::max());
    return float(std::clamp(n, -limit, limit) * step);
}

float frame_current(const char *half, int gain_index)
{
    // 32-bit sums: sixteen 16-bit words overflow 16 bits long before they overflow these.
    int32_t sum_a = word_at(half, 0) + word_at(half, 2);
    for (int w = 0; w < frame_words_per_block - 2; ++w)
        sum_a += word_at(half, frame_block_a_tail + 2 * w);
    int32_t sum_b = 0;
    for (int w = 0; w < frame_words_per_block; ++w)
        sum_b += word_at(half, frame_block_b + 2 * w);
    const int32_t difference = sum_a / 4 - sum_b / 4;
    const int g = std::clamp(gain_index, 0, 6);
    const float current = float(double(difference) / double(range_gain[g]) * -4500.0 * 7.62939453125e-06);
    return quantize_to_range(current, unsigned(g));
}

void update_extremes(run_extremes &e, float x, float current_uA)
{
    if (!e.any) {
        e.any = true;
        e.e_min = e.e_max = x;
        e.i_min = e.i_max = current_uA;
        e.axis_low = float(0.9 * double(current_uA));
        e.axis_high = float(1.1 * double(current_uA));
    } else {
        e.e_min = std::min(e.e_min, x);
        e.e_max = std::max(e.e_max, x);
    }
    e.i_min = std::min(e.i_min, current_uA);
    e.i_max = std::max(e.i_max, current_uA);
    e.axis_low = std::min(e.axis_low, current_uA);
    e.axis_high = std::max(e.axis_high, current_uA);
}

void widen_axis_extremes(run_extremes &extremes, const run_extremes &drawn)
{
    if (!extremes.any || !drawn.any)
        return;
    extremes.axis_low = std::min(extremes.axis_low, drawn.i_min);
    extremes.axis_high = std::max(extremes.axis_high, drawn.i_max);
}

axis_range y_axis_range(const run_extremes &e)
{
    const double lo = e.axis_low;
    const double hi = e.axis_high;
    if (lo >= 0)
        return {0.9 * lo, 1.1 * hi};
    if (hi < 0)
        return {1.1 * lo, 0.9 * hi};
    return {1.1 * lo, 1.1 * hi};
}

double sample_period_ms(uint8_t channel_code)
{
    return channel_code == 3 ? sample_period_both_ms : sample_period_one_ms;
}

run_decoding_context start_decoding(method_index running_method, const parameter_frame_result &built)
{
    run_decoding_context ctx;
    ctx.method = running_method;
    ctx.channel_code = built.channel_code;
    ctx.lead_time_s = built.lead_time_s.value_or(0);
    if (built.chrono_axis) {
        ctx.chrono_step_number = built.chrono_axis->step_number;
        ctx.chrono_step_offset_ms = built.chrono_axis->step_offset_ms;
    }
    return ctx;
}

frame_result decode_frame(const QByteArray &frame, run_decoding_context &ctx)
{
    return decode_bytes(frame.constData(), frame.size(), ctx);
}

decoded_batch decode_received(QByteArray &rx_buffer, run_decoding_context &ctx)
{
    decoded_batch batch;
    const int size = frame_size_for(ctx.method);
    int offset = 0;
    while (rx_buffer.size() - offset >= size) {
        const frame_result r = decode_bytes(rx_buffer.constData() + offset, size, ctx);
        offset += size;
        if (r.outcome == frame_outcome::end_of_run) {
            batch.end_of_run = true;
            rx_buffer.clear();
            return batch;
        }
        if (r.outcome == frame_outcome::sample)
            batch.samples.push_back(r.sample);
        else
            ++batch.dropped_frames;
    }
    rx_buffer.remove(0, offset);
    return batch;
}
