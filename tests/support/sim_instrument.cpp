// Simulated instrument: identify exchange, one-byte commands, parameter frames, and sample streams
// from a small electrochemical model, written to the program in uneven pieces.
#include "support/sim_instrument.h"

#include "support/private_terminal.h"

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "instrument/commands.h"
#include "instrument/parameter_frames.h"
#include "instrument/sample_decoding.h"

namespace {
constexpr double faraday_over_rt = 38.92;   // 1/V at 25 °C
constexpr double formal_potential_V = 0.0;
constexpr int64_t max_samples_per_tick = 4000;

bool is_command_byte(uint8_t b)
{
    return b == close_command || b == connect_command || b == identify_command || b == stop_command
        || b == identify_reset_command;
}

double sigmoid(double x) { return 1.0 / (1.0 + std::exp(-x)); }
}  // namespace

// Where each sample of the run lies: potential sweeps as straight segments, time-indexed runs as steps.
struct sim_instrument::sample_plan {
    sample_frame_type type = sample_frame_type::potential;
    method_index method = method_index::cyclic;
    int frame_size = sample_frame_size;
    int range_number = 3;
    bool we1 = true;
    bool we2 = false;
    double period_ms = 1;
    double scale_uA = 1;

    // Potential runs.
    struct segment {
        double from_mV, to_mV;
        int64_t first, length;
    };
    std::vector<segment> segments;
    double step_mV = 1;
    double rate_mV_s = 100;
    double amplitude_mV = 0;

    // Chronoamperometry.
    double ei_mV = 0, e1_mV = 0, e2_mV = 0;
    int64_t lead_samples = 0;
    int64_t per_step = 1;

    int64_t count = 0;

    void add_segment(double from, double to)
    {
        const int64_t length = int64_t(std::llround(std::fabs(to - from) / step_mV));
        if (length <= 0)
            return;
        segments.push_back({from, to, count, length});
        count += length;
    }

    // Potential (mV) and sweep direction of sample k.
    double potential_at(int64_t k, int &direction) const
    {
        for (const segment &s : segments) {
            if (k < s.first + s.length) {
                direction = s.to_mV >= s.from_mV ? 1 : -1;
                return s.from_mV + direction * step_mV * double(k - s.first);
            }
        }
        direction = 1;
        return segments.empty() ? 0 : segments.back().to_mV;
    }
};

sim_instrument::sim_instrument(uint8_t id, QObject *parent) : QObject(parent), instrument_id(id)
{
    char device[256] = {};
    if (::openpty(&master_fd, &slave_fd, device, nullptr, nullptr) != 0) {
        master_fd = slave_fd = -1;
        return;
    }
    name = std::make_unique<private_terminal>(QString::fromLocal8Bit(device));
    path = name->path();
    if (path.isEmpty()) {
        unplug();
        return;
    }
    termios t{};
    ::tcgetattr(slave_fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave_fd, TCSANOW, &t);
    ::fcntl(master_fd, F_SETFL, ::fcntl(master_fd, F_GETFL) | O_NONBLOCK);
    read_notifier.reset(new QSocketNotifier(master_fd, QSocketNotifier::Read));
    connect(read_notifier.get(), &QSocketNotifier::activated, this, &sim_instrument::on_readable);
    pace_timer.setTimerType(Qt::PreciseTimer);
    connect(&pace_timer, &QTimer::timeout, this, &sim_instrument::pace);
}

sim_instrument::~sim_instrument() { unplug(); }

void sim_instrument::unplug()
{
    pace_timer.stop();
    streaming = false;
    pending.clear();
    read_notifier.reset();
    if (name)
        name->remove();
    if (master_fd >= 0)
        ::close(master_fd);
    if (slave_fd >= 0)
        ::close(slave_fd);
    master_fd = slave_fd = -1;
}

// ---- Receiving -----------------------------------------------------------------------------------

void sim_instrument::on_readable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master_fd, buffer, sizeof buffer);
        if (n > 0) {
            for (ssize_t i = 0; i < n; ++i) {
                log.append(buffer[i]);
                take_byte(uint8_t(buffer[i]));
                if (master_fd < 0)
                    return;
            }
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        // The other side went away for good; stop listening rather than spin on the hang-up.
        if (read_notifier)
            read_notifier->setEnabled(false);
        return;
    }
}

void sim_instrument::take_byte(uint8_t b)
{
    if (in_frame) {
        frame_in.append(char(b));
        if (frame_in.size() == parameter_frame_size) {
            in_frame = false;
            const QByteArray frame = frame_in;
            frame_in.clear();
            start_run(frame);
        }
        return;
    }
    if (is_command_byte(b)) {
        if (b == burst_byte && burst_length > 0 && burst_length < command_repeats) {
            ++burst_length;
        } else {
            burst_byte = b;
            burst_length = 1;
        }
        if (burst_length == command_repeats)
            act_on_command(b);
        return;
    }
    // Byte 0 of every parameter frame carries the channel bits, so it is never a command byte.
    burst_length = 0;
    in_frame = true;
    frame_in = QByteArray(1, char(b));
}

void sim_instrument::act_on_command(uint8_t command)
{
    command_log.append(command);
    emit command_received(command);
    switch (command) {
    case identify_command:
    case identify_reset_command: {
        if (behaviour == identify_behaviour::silent)
            break;
        const char k = char(kind);
        QByteArray reply;
        reply.append(k).append(k).append(k).append(char(instrument_id));
        reply.append(k).append(k).append(k);
        reply.append(char(behaviour == identify_behaviour::invalid ? uint8_t(instrument_id + 1) : instrument_id));
        queue(reply);
        break;
    }
    case stop_command:
        if (streaming) {
            stop_run(end_frame_after_stop);
            emit run_stopped();
        }
        break;
    default:
        break;
    }
}

// ---- Runs ----------------------------------------------------------------------------------------

double sim_instrument::full_scale_uA(int range_number)
{
    const int g = std::clamp(range_number, 1, 7) - 1;
    // Largest raw difference two blocks of sixteen words can give, through the decoder's scaling.
    return 2.0 * 16 * 32767 / 4 / double(range_gain[g]) * -current_scale;
}

double sim_instrument::redox_current_uA(double potential_V, int direction, double rate_mV_s, double scale_uA)
{
    // Reversible couple: a diffusion-limited peak about 28 mV past the formal potential in the sweep
    // direction, growing with the square root of the scan rate, on a small charging current.
    const double x = direction * (potential_V - formal_potential_V) * faraday_over_rt - 1.1;
    const double faradaic = sigmoid(x * 1.7) / std::sqrt(1.0 + std::max(0.0, x) / 2.0);
    const double rate_factor = std::sqrt(std::max(1.0, rate_mV_s) / 100.0);
    return direction * scale_uA * (0.8 * faradaic * std::min(rate_factor, 1.0) + 0.05);
}

void sim_instrument::start_run(const QByteArray &frame)
{
    frame_log.append(frame);
    emit parameter_frame_received(frame);
    run = parse_parameter_frame(frame);
    pace_timer.stop();
    streaming = false;
    if (!run.valid)
        return;

    plan.reset(new sample_plan);
    sample_plan &p = *plan;
    p.method = run.method;
    p.we1 = run.we1;
    p.we2 = run.we2;
    p.range_number = run.range_index + 1;
    p.scale_uA = 0.3 * full_scale_uA(p.range_number);
    p.frame_size = frame_size_for(run.method);
    const double step_mV = run.scan_step == step_736_uV ? potential_step_mV : std::max(1, run.scan_step);
    const method_pages &pg = run.pages;
    const double time_period = run.we1 && run.we2 ? sample_period_both_ms : sample_period_one_ms;

    switch (run.method) {
    case method_index::cyclic:
        p.step_mV = step_mV;
        p.rate_mV_s = std::max(1, pg.cv.rate_mV_s);
        p.period_ms = p.step_mV / p.rate_mV_s * 1000.0;
        for (int c = 0; c < std::max(1, pg.cv.repeat); ++c) {
            p.add_segment(pg.cv.ei_mV, pg.cv.er2_mV);
            p.add_segment(pg.cv.er2_mV, pg.cv.er1_mV);
            p.add_segment(pg.cv.er1_mV, pg.cv.ei_mV);
        }
        break;
    case method_index::linear_sweep:
        p.step_mV = step_mV;
        p.rate_mV_s = std::max(1, pg.lsv.rate_mV_s);
        p.period_ms = p.step_mV / p.rate_mV_s * 1000.0;
        p.add_segment(pg.lsv.ei_mV, pg.lsv.ef_mV);
        break;
    case method_index::normal_pulse:
        p.step_mV = std::max(1, pg.npv.step_mV);
        p.period_ms = std::max(1, pg.npv.period_ms);
        p.add_segment(pg.npv.ei_mV, pg.npv.ef_mV);
        break;
    case method_index::differential_pulse:
        p.type = sample_frame_type::pulse;
        p.step_mV = std::max(1, pg.dpv.step_mV);
        p.period_ms = std::max(1, pg.dpv.period_ms);
        p.amplitude_mV = pg.dpv.amplitude_mV;
        p.add_segment(pg.dpv.ei_mV, pg.dpv.ef_mV);
        break;
    case method_index::square_wave:
        p.type = sample_frame_type::pulse;
        p.step_mV = std::max(1, pg.swv.step_mV);
        p.period_ms = 1000.0 / std::max(1, pg.swv.freq_Hz);
        p.amplitude_mV = pg.swv.amplitude_mV;
        p.add_segment(pg.swv.ei_mV, pg.swv.ef_mV);
        break;
    case method_index::chronoamperometry:
        p.type = sample_frame_type::time_indexed;
        p.period_ms = time_period;
        p.ei_mV = pg.chrono.ei_mV;
        p.e1_mV = pg.chrono.e1_mV;
        p.e2_mV = pg.chrono.e2_mV;
        p.lead_samples = int64_t(run.extra_time_s * 1000.0 / time_period);
        p.per_step = std::max<int64_t>(1, int64_t(pg.chrono.t1_ms / time_period));
        p.count = p.lead_samples + p.per_step * std::max(1, pg.chrono.steps);
        break;
    case method_index::amperometry:
        p.type = sample_frame_type::time_indexed;
        p.period_ms = time_period;
        p.count = int64_t(double(pg.ampero.run_time_ms) / time_period);
        break;
    }
    planned = p.count;
    sent = 0;
    streaming = true;
    clock.start();
    pace_timer.start(std::clamp(int(p.period_ms / speed_up), 1, 20));
}

void sim_instrument::stop_run(bool send_end_frame)
{
    pace_timer.stop();
    streaming = false;
    if (!plan)
        return;
    if (samples_after_stop <= 0) {
        if (send_end_frame)
            queue(encode_end_of_run_frame(plan->frame_size));
        return;
    }
    QTimer::singleShot(after_stop_delay_ms, this, [this, send_end_frame] {
        if (!plan)
            return;
        QByteArray bytes;
        for (int i = 0; i < samples_after_stop && sent < planned; ++i)
            bytes += frames_for_sample(sent++);
        if (send_end_frame)
            bytes += encode_end_of_run_frame(plan->frame_size);
        queue(bytes);
    });
}

void sim_instrument::pace()
{
    if (!streaming || !plan)
        return;
    const double elapsed = double(clock.nsecsElapsed()) / 1e6 * speed_up;
    const int64_t due = std::min(planned, int64_t(elapsed / plan->period_ms) + 1);
    QByteArray bytes;
    for (int64_t budget = max_samples_per_tick; sent < due && budget > 0; --budget)
        bytes += frames_for_sample(sent++);
    if (sent >= planned) {
        bytes += encode_end_of_run_frame(plan->frame_size);
        pace_timer.stop();
        streaming = false;
    }
    queue(bytes);
    if (!streaming)
        emit run_finished();
}

QByteArray sim_instrument::frames_for_sample(int64_t k)
{
    const sample_plan &p = *plan;
    QByteArray bytes;
    const auto emit_frame = [&](uint8_t electrode, double factor, sample_frame_values v) {
        v.electrode = electrode;
        v.range_number = p.range_number;
        v.current_uA = float(v.current_uA * factor);
        v.half1_current_uA = float(v.half1_current_uA * factor);
        v.half2_current_uA = float(v.half2_current_uA * factor);
        bytes += encode_sample_frame(v);
    };

    sample_frame_values v;
    v.type = p.type;
    switch (p.method) {
    case method_index::cyclic:
    case method_index::linear_sweep: {
        int direction = 1;
        const double e_mV = p.potential_at(k, direction);
        v.potential_V = e_mV / 1000.0;
        v.current_uA = float(redox_current_uA(v.potential_V, direction, p.rate_mV_s, p.scale_uA) + noise());
        break;
    }
    case method_index::normal_pulse: {
        int direction = 1;
        v.potential_V = p.potential_at(k, direction) / 1000.0;
        v.current_uA = float(p.scale_uA * sigmoid((v.potential_V - formal_potential_V) * faraday_over_rt) + noise());
        break;
    }
    case method_index::differential_pulse:
    case method_index::square_wave: {
        int direction = 1;
        const double e_V = p.potential_at(k, direction) / 1000.0;
        const double a_V = p.amplitude_mV / 1000.0;
        const auto wave = [&](double e) { return p.scale_uA * sigmoid((e - formal_potential_V) * faraday_over_rt); };
        v.potential_V = e_V;
        v.pulse_kind = uint8_t(k % 2 ? frame_kind_pulse_b : frame_kind_pulse_a);
        if (p.method == method_index::differential_pulse) {
            v.half1_current_uA = float(wave(e_V));
            v.half2_current_uA = float(wave(e_V + a_V) + noise());
        } else {
            v.half1_current_uA = float(wave(e_V + a_V) + noise());
            v.half2_current_uA = float(wave(e_V - a_V));
        }
        break;
    }
    case method_index::chronoamperometry: {
        double e_mV = p.ei_mV, previous_mV = 0, since_ms = 0;
        int64_t index = k;
        if (k < p.lead_samples) {
            since_ms = double(k + 1) * p.period_ms;
        } else {
            const int64_t step = (k - p.lead_samples) / p.per_step;
            const int64_t within = (k - p.lead_samples) % p.per_step;
            e_mV = step % 2 ? p.e2_mV : p.e1_mV;
            previous_mV = step == 0 ? p.ei_mV : (step % 2 ? p.e1_mV : p.e2_mV);
            since_ms = double(within + 1) * p.period_ms;
            // The lead runs straight into the first step; each later step starts counting again.
            index = step == 0 ? k : within;
        }
        const double jump = e_mV - previous_mV;
        const double cottrell = jump == 0 ? 0 : (jump > 0 ? 1 : -1) * 0.1 / std::sqrt(since_ms / 1000.0);
        v.sample_index = uint16_t(index);
        v.current_uA = float(p.scale_uA * (std::clamp(cottrell, -1.0, 1.0) + 0.02) + noise());
        break;
    }
    case method_index::amperometry:
        v.sample_index = uint16_t(k);   // the instrument's counter simply wraps
        v.current_uA = float(p.scale_uA * 0.4 + noise());
        break;
    }
    if (p.we1)
        emit_frame(1, 1.0, v);
    if (p.we2 || !p.we1)
        emit_frame(2, 0.8, v);
    return bytes;
}

// ---- Sending -------------------------------------------------------------------------------------

void sim_instrument::queue(const QByteArray &bytes)
{
    if (master_fd < 0 || bytes.isEmpty())
        return;
    pending += bytes;
    if (!drain_scheduled) {
        drain_scheduled = true;
        QTimer::singleShot(0, this, &sim_instrument::drain);
    }
}

// One uneven piece per event-loop turn, so the program sees frames split at odd places.
void sim_instrument::drain()
{
    drain_scheduled = false;
    if (master_fd < 0 || pending.isEmpty())
        return;
    const int piece = std::min(pending.size(), int(1 + next_random() % 173));
    const ssize_t n = ::write(master_fd, pending.constData(), size_t(piece));
    if (n > 0)
        pending.remove(0, int(n));
    if (!pending.isEmpty()) {
        drain_scheduled = true;
        // A full terminal buffer clears once the program reads; try again shortly.
        QTimer::singleShot(n > 0 ? 0 : 1, this, &sim_instrument::drain);
    }
}

uint32_t sim_instrument::next_random()
{
    // xorshift32: small, deterministic, good enough for write sizes and noise.
    rng_state ^= rng_state << 13;
    rng_state ^= rng_state >> 17;
    rng_state ^= rng_state << 5;
    return rng_state;
}

double sim_instrument::noise()
{
    const double u = (double(next_random() % 10001) / 10000.0) - 0.5;
    return plan ? u * 0.004 * plan->scale_uA : 0.0;
}
