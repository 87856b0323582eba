// What Start decides before anything is sent: whether the run may start, the default name, the record fields.
#include "run/run_start.h"

#include "filtering/curve_filtering.h"
#include "instrument/method_names.h"

#include <algorithm>

namespace {

uint16_t to_u16(int64_t v) { return uint16_t(std::clamp<int64_t>(v, 0, UINT16_MAX)); }

// Pulses per second of a pulse method, 0 for a period of 0 (which Start refuses before it comes to this).
uint16_t pulse_rate(int period_ms) { return period_ms > 0 ? to_u16(1000 / period_ms) : 0; }

} // namespace

QString default_experiment_name(const QDate &today)
{
    return QStringLiteral("New_Experiment_") + today.toString(QStringLiteral("yyyyMMdd"));
}

start_refusal check_run_start(bool records_full, method_index m, const method_pages &pages, bool we1, bool we2)
{
    if (records_full)
        return start_refusal::records_full;
    if (!we1 && !we2)
        return start_refusal::no_electrode;
    if (m == method_index::differential_pulse && pages.dpv.width_ms >= pages.dpv.period_ms)
        return start_refusal::pulse_width_too_long;
    if (m == method_index::normal_pulse && pages.npv.width_ms >= pages.npv.period_ms)
        return start_refusal::pulse_width_too_long;
    return start_refusal::none;
}

QString start_refusal_title(start_refusal r)
{
    return r == start_refusal::none ? QString() : QStringLiteral("Error");
}

QString start_refusal_text(start_refusal r)
{
    switch (r) {
    case start_refusal::none: return QString();
    case start_refusal::records_full: return QStringLiteral("You have reached maximum number of experiments!");
    case start_refusal::no_electrode: return QStringLiteral("Tick working electrode 1, 2 or both before starting.");
    case start_refusal::pulse_width_too_long: return QStringLiteral("The pulse width must be shorter than the period.");
    }
    return QString();
}

uint16_t record_rate(method_index m, const method_pages &pages)
{
    switch (m) {
    case method_index::cyclic: return to_u16(pages.cv.rate_mV_s);
    case method_index::differential_pulse: return pulse_rate(pages.dpv.period_ms);
    case method_index::square_wave: return to_u16(pages.swv.freq_Hz);
    case method_index::linear_sweep: return to_u16(pages.lsv.rate_mV_s);
    case method_index::normal_pulse: return pulse_rate(pages.npv.period_ms);
    // chr_t1 reaches 65538 in the form: held at 65535 rather than wrapped to 2.
    case method_index::chronoamperometry: return to_u16(pages.chrono.t1_ms);
    // The amperometric frame builder replaces this with 1; held, not wrapped, until it does.
    case method_index::amperometry: return to_u16(pages.ampero.run_time_ms);
    }
    return 0;
}

start_record_fields record_fields_at_start(method_index m, const method_pages &pages, bool we1, bool we2,
                                           const std::array<bool, 7> &checked_filter_modes)
{
    start_record_fields f;
    f.method = method_name(m);
    f.rate = record_rate(m, pages);
    f.cycles = to_u16(pages.cv.repeat);
    f.filter_hz = curve_filtering::run_cutoff_hz(curve_filtering::selected_filter_cutoff(checked_filter_modes), m, pages);
    f.ch1_shown = we1 ? 1 : 0;
    f.ch2_shown = we2 ? 1 : 0;
    return f;
}
