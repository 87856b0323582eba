// The run screen's filtering rules as functions over plain data.
#include "filtering/curve_filtering.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace curve_filtering {

namespace {

const QString amperometric = QStringLiteral("Amperometric");
const QString chronoamperometry = QStringLiteral("Chronoamperometry");
const QString differential_pulse = QStringLiteral("Diff. Pulse Voltammetry");
const QString normal_pulse = QStringLiteral("Normal Pulse Voltammetry");
const QString linear_sweep = QStringLiteral("Linear Sweep Voltammetry");
const QString cyclic = QStringLiteral("Cyclic Voltammetry");
const QString period_prefix = QStringLiteral("Period(ms): ");

// QVector::resize detaches (copies) a shared vector even when the size stays; a pass often hands back the live
// points unchanged, so it shares them and trims only when the lengths of keys and values differ.
void fit(QVector<double> &v, int n)
{
    if (v.size() != n)
        v.resize(n);
}

// Makes `to` hold the first n points of `from`, a series that only grows: only the points it lacks are copied,
// unless its last point shows it holds another series. Copied, never shared: a shared vector would make the next
// append to `from` copy it whole.
void follow(series &to, const series &from, int n)
{
    int have = std::min(to.keys.size(), to.values.size());
    if (have > n
        || (have > 0 && (to.keys[have - 1] != from.keys[have - 1] || to.values[have - 1] != from.values[have - 1])))
        have = 0;
    to.keys.resize(n);
    to.values.resize(n);
    std::copy(from.keys.constData() + have, from.keys.constData() + n, to.keys.data() + have);
    std::copy(from.values.constData() + have, from.values.constData() + n, to.values.data() + have);
}

constexpr float ladder_top_hz = 10.0f;

// Automatic cut-off from the method's rate figure r (all single precision, as the menu thresholds are).
float cutoff_for_rate(float r)
{
    if (r > 7.5f)
        return ladder_top_hz;
    if (r > 3.5f)
        return 5.0f;
    if (r > 1.5f)
        return 2.0f;
    if (r > 0.75f)
        return 1.0f;
    return 0.5f;
}

// `amount` a pulse period, a second: a pulse method's scan rate (its step, mV/s) or its pulses per second (1).
// A period of 0 gives no rate. The amount is multiplied before the division so that rates on the ladder's edges
// come out exact.
float per_second(int amount, int period_ms)
{
    return period_ms > 0 ? 1000.0f * float(amount) / float(period_ms) : 0.0f;
}

}  // namespace

float mode_cutoff_hz(int mode)
{
    switch (mode) {
    case mode_raw: return 0.0f;
    case mode_0_5hz: return 0.5f;
    case mode_1hz: return 1.0f;
    case mode_2hz: return 2.0f;
    case mode_5hz: return 5.0f;
    case mode_10hz: return 10.0f;
    default: return -1.0f;
    }
}

float selected_filter_cutoff(const std::array<bool, filter_mode_count> &checked)
{
    float result = 0.5f;
    if (checked[mode_1hz])
        result = 1.0f;
    if (checked[mode_2hz])
        result = 2.0f;
    if (checked[mode_5hz])
        result = 5.0f;
    if (checked[mode_10hz])
        result = 10.0f;
    if (checked[mode_raw])
        result = 0.0f;
    if (checked[mode_automatic])
        result = -1.0f;
    return result;
}

float page_scan_rate_mV_s(method_index method, const method_pages &pages)
{
    switch (method) {
    case method_index::cyclic: return float(pages.cv.rate_mV_s);
    case method_index::linear_sweep: return float(pages.lsv.rate_mV_s);
    case method_index::differential_pulse: return per_second(pages.dpv.step_mV, pages.dpv.period_ms);
    case method_index::square_wave: return float(pages.swv.freq_Hz) * float(pages.swv.step_mV);
    case method_index::normal_pulse: return per_second(pages.npv.step_mV, pages.npv.period_ms);
    case method_index::chronoamperometry:
    case method_index::amperometry: break;
    }
    return 0.0f;
}

float page_sampling_rate_hz(method_index method, const method_pages &pages)
{
    switch (method) {
    case method_index::cyclic: return float(pages.cv.rate_mV_s) / float(whole_step_mV(pages.cv.step));
    // Linear sweep steps by the cyclic page's step, as its frame tells the instrument.
    case method_index::linear_sweep: return float(pages.lsv.rate_mV_s) / float(whole_step_mV(pages.cv.step));
    case method_index::differential_pulse: return per_second(1, pages.dpv.period_ms);
    case method_index::square_wave: return float(pages.swv.freq_Hz);
    case method_index::normal_pulse: return per_second(1, pages.npv.period_ms);
    case method_index::chronoamperometry:
    case method_index::amperometry: break;
    }
    return 0.0f;
}

float automatic_cutoff_hz(float scan_rate_mV_s, float fs_hz)
{
    // A peak a sweep passes at v mV/s lasts about its width / v seconds: the cut-off follows the scan rate,
    // whatever the samples per second, so that the smoothing keeps the peaks of every method. The ladder only
    // rounds v / 20 up to a menu value: above its top a fixed 10 Hz would flatten the peaks of a fast sweep, and a
    // ladder value at or above the sampling rate would leave a slow one raw; v / 20 itself serves both. It is
    // step / 20 of the sampling rate, below it for every step under 20 mV (else the samples are shown as they are).
    const float r = scan_rate_mV_s / 20.0f;
    const float ladder = cutoff_for_rate(r);
    const bool on_ladder = !(r > ladder_top_hz) && (fs_hz <= 0.0f || ladder < fs_hz);
    return on_ladder ? ladder : r;
}

float run_cutoff_hz(float selected, method_index method, const method_pages &pages)
{
    if (selected != -1.0f)
        return selected;
    switch (method) {
    case method_index::chronoamperometry: return 0.0f;
    case method_index::amperometry: return 5.0f;
    default:
        return automatic_cutoff_hz(page_scan_rate_mV_s(method, pages), page_sampling_rate_hz(method, pages));
    }
}

bool is_raw_cutoff(float filter_hz) { return filter_hz > -0.001f && filter_hz < 0.001f; }

bool same_cutoff(float a, float b) { return a == b || (is_raw_cutoff(a) && is_raw_cutoff(b)); }

double sampling_rate_hz(const QString &method, double rate, bool both_electrodes, uint16_t resolution)
{
    if (method == differential_pulse)
        return rate > 0 ? 1000.0 / rate : 0.0;
    if (method == amperometric || method == chronoamperometry)
        return both_electrodes ? double(two_electrode_rate_hz) : double(one_electrode_rate_hz);
    // A sweep takes one sample per potential step: at `rate` mV/s in s mV steps that is rate / s a second.
    if (method == cyclic || method == linear_sweep)
        return rate / double(whole_step_mV(resolution));
    return rate;
}

double record_sampling_rate_hz(const QString &method, uint16_t rate, bool both_electrodes, uint16_t resolution,
                               const QStringList &details)
{
    if (method == differential_pulse || method == normal_pulse) {
        for (const QString &line : details) {
            if (!line.startsWith(period_prefix))
                continue;
            bool ok = false;
            const double period = line.mid(period_prefix.size()).trimmed().toDouble(&ok);
            if (ok && period > 0)
                return 1000.0 / period;
            break;
        }
    }
    return sampling_rate_hz(method, rate, both_electrodes, resolution);
}

bool both_electrodes_of_channel(uint8_t channel_code) { return channel_code == 3; }

bool both_electrodes_of_raw(int raw1_points, int raw2_points) { return raw1_points > 0 && raw2_points > 0; }

double normalised_cutoff(float filter_hz, double fs)
{
    if (is_raw_cutoff(filter_hz) || !std::isfinite(filter_hz) || !std::isfinite(fs) || fs <= 0)
        return 0.0;
    // The design takes a single-precision cut-off; judge the value it will actually get.
    const float wn = float(double(filter_hz) / fs);
    if (!std::isfinite(wn) || wn <= 0.0f || wn >= 1.0f)
        return 0.0;
    return wn;
}

int filter_order(int n, int cap) { return std::max(0, std::min(n / 4, cap)); }

bool batch_pass_due(bool running, int live_points) { return running && live_points > 3; }

int live_hold_back(method_index method, uint16_t rate, double fs)
{
    // The newest second of samples still moves with every batch. A sweep in steps coarser than 1 mV takes fewer
    // than `rate` samples a second; holding back `rate` of them would keep the curve seconds behind the scan.
    if ((method == method_index::cyclic || method == method_index::linear_sweep) && fs > 0 && std::isfinite(fs))
        return int(std::ceil(fs));
    return rate;
}

// ---- live_filter_state ----

void live_filter_state::reset()
{
    filter_.reset();
    shown_ = series();
    smoothed_ = false;
}

bool live_filter_state::pass(const series &live, const live_settings &s, bool final)
{
    const int n = std::min(live.keys.size(), live.values.size());
    if (!final && n < s.hold_back)
        return false;

    const double wn = normalised_cutoff(s.filter_hz, s.fs);
    const int order = filter_order(n, s.order_cap);
    if (wn <= 0 || order < 1) {
        if (smoothed_)
            shown_ = series();
        follow(shown_, live, n);
        smoothed_ = false;
        filter_.reset();
        return true;
    }

    // During a run the newest samples stay off the shown curve: their smoothed values still move with every batch,
    // and the filter keeps them readable for the pass that shows them.
    filter_.keep_outputs(std::size_t(std::max(0, s.hold_back)));
    const std::size_t changed_from = filter_.update(live.values.constData(), std::size_t(n), order, float(wn));
    const int m = final ? n : std::max(0, n - s.hold_back);

    // A run's live series only grows and a new run resets this state, so the points the filter kept belong to
    // this same run; only the tail from there on is written again.
    const int keep = smoothed_ ? std::min({int(changed_from), shown_.values.size(), m}) : 0;
    if (shown_.keys.capacity() < m) {
        shown_.keys.reserve(m + m / 2);  // room for the passes to come, as in the filter itself
        shown_.values.reserve(m + m / 2);
    }
    shown_.keys.resize(m);
    shown_.values.resize(m);
    double *keys_out = shown_.keys.data();
    double *values_out = shown_.values.data();
    const double *keys_in = live.keys.constData();
    std::copy(keys_in + keep, keys_in + m, keys_out + keep);
    if (keep < m)
        std::copy(filter_.outputs_from(std::size_t(keep)), filter_.outputs_from(std::size_t(m)), values_out + keep);
    smoothed_ = true;
    return true;
}

// ---- chronoamperometry ----

chrono_layout make_chrono_layout(uint16_t step_ms, uint16_t steps, uint8_t lead_time_s, bool both_electrodes)
{
    chrono_layout layout;
    const double period = both_electrodes ? two_electrode_period_ms : one_electrode_period_ms;
    // The same count of lead samples as the time axis uses to place the lead before step 1.
    const float lead_ms = float(lead_time_s) * 1000.0f;
    layout.lead_samples = int(std::trunc(float(double(lead_ms) / period)));
    layout.samples_per_step = double(step_ms) / period;
    layout.steps = steps;
    return layout;
}

std::vector<std::pair<int, int>> chrono_segments(const chrono_layout &layout, int n)
{
    std::vector<std::pair<int, int>> out;
    if (n <= 0)
        return out;
    const int lead = std::max(0, layout.lead_samples);
    if (lead > 0)
        out.emplace_back(0, std::min(lead, n));
    if (n <= lead)
        return out;
    if (layout.steps <= 0 || !(layout.samples_per_step > 0)) {
        out.emplace_back(lead, n);  // no usable step plan: the samples after the lead as one piece
        return out;
    }
    for (int s = 0; s < layout.steps; ++s) {
        const double first = std::trunc(double(s) * layout.samples_per_step);
        if (double(lead) + first >= double(n))
            break;
        const int start = lead + int(first);
        int end = n;
        if (s + 1 < layout.steps) {
            const double next = double(lead) + std::trunc(double(s + 1) * layout.samples_per_step);
            if (next < double(n))
                end = int(next);
        }
        if (end > start)
            out.emplace_back(start, end);
        if (end == n)
            break;
    }
    return out;
}

void chrono_filter_state::reset()
{
    shown_ = series();
    seen_count_ = 0;
    seen_tail_.clear();
    shows_raw_ = false;
    settled_end_ = 0;
    current_first_ = -1;
    wn_ = 0;
    layout_ = chrono_layout();
    cap_ = 0;
    filter_.reset();
}

void chrono_filter_state::pass(const series &live, float filter_hz, double fs, const chrono_layout &layout, int cap)
{
    const int n = std::min(live.keys.size(), live.values.size());
    const double wn = normalised_cutoff(filter_hz, fs);
    if (wn <= 0) {
        if (!shows_raw_)
            reset();
        shows_raw_ = true;
        follow(shown_, live, n);
        return;
    }

    const bool same_plan = wn == wn_ && cap == cap_ && layout.lead_samples == layout_.lead_samples
                           && layout.samples_per_step == layout_.samples_per_step && layout.steps == layout_.steps;
    // The live series only grows during a run: the newest samples seen last time are enough to tell it apart
    // from another series, and checking them costs the same at any length.
    const int seen = seen_count_;
    const int tail = int(seen_tail_.size());
    const bool continues = same_plan && n >= seen && shown_.values.size() == seen && shown_.keys.size() == seen
                           && (tail == 0
                               || std::memcmp(seen_tail_.data(), live.values.constData() + (seen - tail),
                                              std::size_t(tail) * sizeof(double)) == 0)
                           && (seen == 0 || shown_.keys[seen - 1] == live.keys[seen - 1]);
    if (!continues) {
        reset();
        wn_ = wn;
        cap_ = cap;
        layout_ = layout;
    }

    // Keys are copied, not shared: a shared vector would make the next append to the live series copy it whole.
    const int have = shown_.keys.size();
    shown_.keys.resize(n);
    std::copy(live.keys.constData() + have, live.keys.constData() + n, shown_.keys.data() + have);
    fit(shown_.values, n);
    double *out = shown_.values.data();
    const double *in = live.values.constData();

    const auto segments = chrono_segments(layout, n);
    for (std::size_t k = 0; k < segments.size(); ++k) {
        const int first = segments[k].first;
        const int end = segments[k].second;
        if (end <= settled_end_)
            continue;
        // A range is closed once a later one has begun: its end is then a fixed step boundary.
        const bool closed = k + 1 < segments.size();
        const int len = end - first;
        const int order = filter_order(len, cap);
        if (order < 1) {
            std::copy(in + first, in + end, out + first);  // too short to filter: the samples as measured
        } else {
            if (current_first_ != first) {
                filter_.reset();
                current_first_ = first;
            }
            const std::size_t from = filter_.update(in + first, std::size_t(len), order, float(wn));
            std::copy(filter_.outputs_from(from), filter_.outputs_from(std::size_t(len)), out + first + std::ptrdiff_t(from));
        }
        if (closed)
            settled_end_ = end;
    }

    seen_count_ = n;
    const int keep = std::min(n, seen_check);
    seen_tail_.assign(in + (n - keep), in + n);
}

// ---- stored records ----

series refiltered(const series &raw, float filter_hz, double fs)
{
    const int n = std::min(raw.keys.size(), raw.values.size());
    series out = raw;
    fit(out.keys, n);
    fit(out.values, n);
    const double wn = normalised_cutoff(filter_hz, fs);
    if (wn <= 0 || n < 5)
        return out;
    const int order = filter_order(n, order_cap);
    const std::vector<double> x(raw.values.constBegin(), raw.values.constBegin() + n);
    std::vector<double> y;
    const arma::vec b = fir_filter::fir1(uint16_t(order), float(wn));
    fir_filter::filtfilt(arma::conv_to<std::vector<double>>::from(b), {1.0}, x, y);
    std::copy(y.begin(), y.end(), out.values.data());
    return out;
}

series refiltered_record(const series &raw, float filter_hz, double fs, const stored_layout &layout)
{
    if (layout.method != chronoamperometry || layout.rate == 0 || layout.cycles == 0)
        return refiltered(raw, filter_hz, fs);
    const int n = std::min(raw.keys.size(), raw.values.size());
    if (n < 5) {
        // The same rule as for every stored record: too few points stay as measured.
        series out = raw;
        fit(out.keys, n);
        fit(out.values, n);
        return out;
    }
    chrono_filter_state pass;
    pass.pass(raw, filter_hz, fs,
              make_chrono_layout(layout.rate, layout.cycles, layout.lead_time_s, layout.both_electrodes));
    return pass.shown();
}

// ---- details line ----

QString filter_value_text(float filter_hz)
{
    // Negative and NaN cut-offs are not filtered either (see normalised_cutoff), so they read "None" as well.
    if (!(filter_hz >= 0.001f))
        return QStringLiteral("None");
    return QString::number(double(filter_hz), 'g', 6);
}

QString filter_line_text(const QString &value)
{
    QString text = QStringLiteral("Filter: ") + value;
    if (value != QLatin1String("None"))
        text += QStringLiteral("Hz");
    return text;
}

int filter_line_index(const QString &method)
{
    if (method == amperometric)
        return 3;
    if (method == linear_sweep)
        return 4;
    return 6;
}

bool set_filter_line(QStringList &details, const QString &method, const QString &value)
{
    const int index = filter_line_index(method);
    if (index >= details.size())
        return false;
    details[index] = filter_line_text(value);
    return true;
}

}  // namespace curve_filtering
