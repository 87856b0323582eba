// Parameter frame builders: bytes for the instrument, details lines and record fields for the run screen.
#include "instrument/parameter_frames.h"

#include "instrument/device_names.h"
#include "platform/trace.h"

#include <QDebug>
#include <algorithm>

namespace {

// A value held to what an unsigned field of `max` can carry. The form keeps its values far inside every
// field, but the frame is the last guard before the instrument: a value beyond a field must not wrap into
// another one (a negative period - width would become a long wait, an overflow is undefined).
uint32_t saturated(int64_t v, uint32_t max) { return uint32_t(std::clamp<int64_t>(v, 0, max)); }
uint8_t byte_of(int64_t v) { return uint8_t(saturated(v, UINT8_MAX)); }
uint16_t word_of(int64_t v) { return uint16_t(saturated(v, UINT16_MAX)); }

// Writes little-endian fields into a frame at increasing offsets.
class frame_writer {
public:
    explicit frame_writer(parameter_frame &frame) : frame_(frame) {}
    void u8(int at, uint8_t v) { frame_[size_t(at)] = v; }
    void u16(int at, uint16_t v)
    {
        u8(at, uint8_t(v & 0xFF));
        u8(at + 1, uint8_t(v >> 8));
    }
    void u32(int at, uint32_t v)
    {
        u16(at, uint16_t(v & 0xFFFF));
        u16(at + 2, uint16_t(v >> 16));
    }
    void potential(int at, int mV) { u16(at, sign_magnitude_potential(mV)); }
    void fill(int from, int to, uint8_t v)
    {
        for (int i = from; i <= to; ++i)
            u8(i, v);
    }

private:
    parameter_frame &frame_;
};

// T × 10: the instrument counts the lead time in tenths of a second.
uint16_t lead_tenths(const run_settings &run)
{
    return uint16_t(run.extra_time_s * 10);
}

// Byte 0, byte 1 and the record fields every builder sets.
frame_writer start_frame(parameter_frame_result &r, method_index m, int scan_step, const run_settings &run)
{
    const uint8_t channels = channel_mask(run.we1, run.we2);
    r.channel_code = uint8_t(channels >> 4);
    r.resolution = uint16_t(scan_step);
    frame_writer w(r.frame);
    w.u8(0, uint8_t(channels + method_codes[int(m)]));
    w.u8(1, range_code(run.range_index));
    return w;
}

QString line(const char *label, qint64 value)
{
    return QString::fromLatin1(label) + QString::number(value);
}

// The filter, date, user and device lines that close every method's details.
void append_common_lines(QStringList &details, const details_context &ctx)
{
    details << filter_details_line(ctx.filter_hz) << date_details_line(ctx.started) << user_details_line(ctx.user)
            << device_details_line(ctx.device_id);
}

}  // namespace

uint16_t sign_magnitude_potential(int potential_mV)
{
    // Twelve bits of magnitude: beyond them the sign bit would be overwritten (-5000 mV went out as +904).
    constexpr int max_magnitude = 0x0FFF;
    const int mV = std::clamp(potential_mV, -max_magnitude, max_magnitude);
    if (mV >= 0)
        return uint16_t(mV);
    return uint16_t(0x1000 - mV);
}

uint8_t channel_mask(bool we1, bool we2)
{
    if (!we1)
        return 0x20;
    return we2 ? 0x30 : 0x10;
}

uint8_t range_code(int range_index)
{
    return range_codes[std::clamp(range_index, 0, range_index_count - 1)];
}

uint16_t amplitude_code(int amplitude_mV)
{
    // Held to the field before the float becomes an integer: that conversion overflows otherwise.
    const float steps = float(double(amplitude_mV) / 0.736);
    return uint16_t(std::clamp(steps, 0.0f, float(UINT16_MAX)));
}

uint8_t resolution_byte(int scan_step)
{
    if (scan_step == step_736_uV)
        return 0;
    return byte_of(scan_step);
}

QString filter_details_line(float filter_hz)
{
    if (filter_hz < 0.001f)
        return QStringLiteral("Filter: None");
    return QStringLiteral("Filter: ") + QString::number(double(filter_hz), 'g', 6) + QStringLiteral("Hz");
}

QString date_details_line(const QDateTime &when)
{
    return QStringLiteral("Date: ") + when.toString(QStringLiteral("yyyy-MM-dd  HH:mm:ss"));
}

QString user_details_line(const QString &user)
{
    return QStringLiteral("User: ") + user;
}

QString device_details_line(uint8_t device_id)
{
    return QStringLiteral("Device ID: ") + device_display_name(device_id);
}

parameter_frame_result build_cv_frame(const cv_parameters &p, const run_settings &run, const details_context &ctx)
{
    parameter_frame_result r;
    r.details << method_name(method_index::cyclic) << line("Er1(mV): ", p.er1_mV)
              << line("Er2(mV): ", p.er2_mV) << line("Ei(mV): ", p.ei_mV) << line("Rate(mV/sec): ", p.rate_mV_s)
              << line("Cycles: ", p.repeat);
    append_common_lines(r.details, ctx);
    r.x_lower = p.er1_mV / 1000.0;
    r.x_upper = p.er2_mV / 1000.0;
    qCDebug(rz410_trace) << "xaxis:" << r.x_lower << r.x_upper;

    frame_writer w = start_frame(r, method_index::cyclic, p.step, run);
    w.u16(2, word_of(p.rate_mV_s));
    w.potential(4, p.ei_mV);
    w.potential(6, p.er1_mV);
    w.potential(8, p.er2_mV);
    w.u16(10, lead_tenths(run));
    w.u8(12, resolution_byte(p.step));
    w.fill(13, 19, byte_of(p.repeat));
    return r;
}

parameter_frame_result build_dpv_frame(const dpv_parameters &p, int scan_step, const run_settings &run,
                                       const details_context &ctx)
{
    parameter_frame_result r;
    r.x_lower = p.ei_mV / 1000.0;
    r.x_upper = p.ef_mV / 1000.0;
    r.details << method_name(method_index::differential_pulse) << line("Ei(mV): ", p.ei_mV)
              << line("Ef(mV): ", p.ef_mV) << line("Step(mV): ", p.step_mV) << line("Width(ms): ", p.width_ms)
              << line("Period(ms): ", p.period_ms);
    append_common_lines(r.details, ctx);

    frame_writer w = start_frame(r, method_index::differential_pulse, scan_step, run);
    w.potential(2, p.ei_mV);
    w.potential(4, p.ef_mV);
    w.u16(6, lead_tenths(run));
    w.u8(8, byte_of(p.step_mV));
    w.u16(9, word_of(int64_t(p.period_ms) - p.width_ms));
    w.u16(11, word_of(p.width_ms));
    w.u16(13, amplitude_code(p.amplitude_mV));
    w.u8(15, resolution_byte(scan_step));
    w.fill(16, 19, 0);
    return r;
}

parameter_frame_result build_swv_frame(const swv_parameters &p, int scan_step, const run_settings &run,
                                       const details_context &ctx)
{
    parameter_frame_result r;
    r.details << method_name(method_index::square_wave) << line("Ei(mV): ", p.ei_mV)
              << line("Ef(mV): ", p.ef_mV) << line("Step(mV): ", p.step_mV) << line("Frequency(Hz): ", p.freq_Hz)
              << line("Amplitude(mV): ", p.amplitude_mV);
    append_common_lines(r.details, ctx);
    r.x_lower = p.ei_mV / 1000.0;
    r.x_upper = p.ef_mV / 1000.0;

    frame_writer w = start_frame(r, method_index::square_wave, scan_step, run);
    w.potential(2, p.ei_mV);
    w.potential(4, p.ef_mV);
    w.u16(6, lead_tenths(run));
    w.u8(8, byte_of(p.step_mV));
    w.u16(9, word_of(p.freq_Hz));
    w.u16(11, amplitude_code(p.amplitude_mV));
    w.u8(13, resolution_byte(scan_step));
    w.fill(14, 19, 0);
    return r;
}

parameter_frame_result build_lsv_frame(const lsv_parameters &p, int scan_step, const run_settings &run,
                                       const details_context &ctx)
{
    parameter_frame_result r;
    r.details << method_name(method_index::linear_sweep) << line("Ei(mV): ", p.ei_mV)
              << line("Ef(mV): ", p.ef_mV) << line("Rate(mV/sec): ", p.rate_mV_s);
    append_common_lines(r.details, ctx);
    r.x_lower = p.ei_mV / 1000.0;
    r.x_upper = p.ef_mV / 1000.0;

    frame_writer w = start_frame(r, method_index::linear_sweep, scan_step, run);
    w.u16(2, word_of(p.rate_mV_s));
    w.u8(4, 0);
    w.u8(5, run.extra_time_s);      // whole seconds in this frame, not tenths
    w.potential(6, p.ei_mV);
    w.potential(8, p.ef_mV);
    w.fill(10, 19, resolution_byte(scan_step));
    return r;
}

parameter_frame_result build_npv_frame(const npv_parameters &p, int scan_step, const run_settings &run,
                                       const details_context &ctx)
{
    parameter_frame_result r;
    r.details << method_name(method_index::normal_pulse) << line("Ei(mV): ", p.ei_mV)
              << line("Ef(mV): ", p.ef_mV) << line("Step(mV): ", p.step_mV) << line("Width(ms): ", p.width_ms)
              << line("Period(ms): ", p.period_ms);
    append_common_lines(r.details, ctx);
    r.x_lower = p.ei_mV / 1000.0;
    r.x_upper = p.ef_mV / 1000.0;

    frame_writer w = start_frame(r, method_index::normal_pulse, scan_step, run);
    w.u16(2, word_of(p.width_ms));
    w.u16(4, word_of(int64_t(p.period_ms) - p.width_ms));
    w.u16(6, word_of(p.step_mV));
    w.potential(8, p.ef_mV);        // final before initial in this frame
    w.potential(10, p.ei_mV);
    w.u8(12, resolution_byte(scan_step));
    w.fill(13, 16, 0);
    w.u16(17, lead_tenths(run));
    w.u8(19, 0);
    return r;
}

parameter_frame_result build_chrono_frame(const chrono_parameters &p, int scan_step, const run_settings &run,
                                          const details_context &ctx)
{
    parameter_frame_result r;
    r.rate = uint16_t(p.t1_ms);
    r.lead_time_s = run.extra_time_s;
    r.cycles = uint16_t(p.steps);
    r.details << method_name(method_index::chronoamperometry) << line("Ei(mV): ", p.ei_mV)
              << line("E1(mV): ", p.e1_mV) << line("E2(mV): ", p.e2_mV) << line("T1(ms): ", p.t1_ms)
              << line("Steps: ", p.steps);
    append_common_lines(r.details, ctx);
    r.e_start = float(p.e1_mV);
    r.x_lower = 0;
    r.x_upper = double(p.t1_ms) * double(p.steps) + double(run.extra_time_s) * 1000.0;

    // Each step's time axis continues from the end of the previous one: t1 less the sample that
    // the instrument's index counts from 1. The period follows the electrodes actually recorded.
    chrono_axis_start axis;
    const double period = (run.we1 && run.we2) ? sample_period_both_ms : sample_period_one_ms;
    axis.step_offset_ms = float(double(p.t1_ms) - period);
    r.chrono_axis = axis;

    frame_writer w = start_frame(r, method_index::chronoamperometry, scan_step, run);
    w.potential(2, p.ei_mV);
    w.potential(4, p.e1_mV);
    w.potential(6, p.e2_mV);
    w.u16(8, lead_tenths(run));
    w.u32(10, saturated(p.t1_ms, UINT32_MAX));
    w.u16(14, word_of(p.steps));
    w.u8(16, resolution_byte(scan_step));
    w.u8(17, 0);
    w.u8(18, 0x0A);
    w.u8(19, 0);
    return r;
}

parameter_frame_result build_ampero_frame(const ampero_parameters &p, int scan_step, const run_settings &run,
                                          const details_context &ctx)
{
    parameter_frame_result r;
    r.rate = 1;
    r.details << method_name(method_index::amperometry) << line("E(mV): ", p.potential_mV)
              << line("Time(ms): ", p.run_time_ms);
    append_common_lines(r.details, ctx);
    r.x_lower = 0;
    r.x_upper = double(p.run_time_ms);

    frame_writer w = start_frame(r, method_index::amperometry, scan_step, run);
    w.u32(2, saturated(p.run_time_ms, UINT32_MAX));
    w.potential(6, p.potential_mV);
    w.fill(8, 11, 0x0A);
    w.u16(12, lead_tenths(run));
    w.fill(14, 19, 0);
    return r;
}

parameter_frame_result build_parameter_frame(method_index m, const method_pages &pages, const run_settings &run,
                                             const details_context &ctx)
{
    const int scan_step = pages.cv.step;
    switch (m) {
    case method_index::cyclic: return build_cv_frame(pages.cv, run, ctx);
    case method_index::differential_pulse: return build_dpv_frame(pages.dpv, scan_step, run, ctx);
    case method_index::square_wave: return build_swv_frame(pages.swv, scan_step, run, ctx);
    case method_index::linear_sweep: return build_lsv_frame(pages.lsv, scan_step, run, ctx);
    case method_index::normal_pulse: return build_npv_frame(pages.npv, scan_step, run, ctx);
    case method_index::chronoamperometry: return build_chrono_frame(pages.chrono, scan_step, run, ctx);
    case method_index::amperometry: return build_ampero_frame(pages.ampero, scan_step, run, ctx);
    }
    return {};
}
