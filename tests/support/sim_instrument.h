// A simulated RZ410 on a pseudo-terminal: the program under test opens the slave path with a real
// QSerialPort, and this object answers from the master side in the same event loop.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>
#include <cstdint>
#include <memory>

#include "support/frame_codec.h"

class QSocketNotifier;
class private_terminal;

class sim_instrument : public QObject {
    Q_OBJECT
public:
    enum class identify_behaviour {
        answer,     // 8-byte reply of kind reply_kind() with id()
        silent,     // no answer at all
        invalid,    // 8 bytes whose second id differs from the first
    };

    explicit sim_instrument(uint8_t id = 1, QObject *parent = nullptr);
    ~sim_instrument() override;

    // False when the pseudo-terminal could not be created.
    bool is_plugged() const { return master_fd >= 0; }
    QString slave_path() const { return path; }

    void set_id(uint8_t id) { instrument_id = id; }
    // 0xC8 or 0xFA in all six marker bytes of the identify reply.
    void set_reply_kind(uint8_t k) { kind = k; }
    void set_identify_behaviour(identify_behaviour b) { behaviour = b; }

    // Runs go this many times faster than the instrument's own sample periods.
    void set_speed_up(double factor) { speed_up = factor > 0 ? factor : 1.0; }
    // Whether a stop command is followed by an end-of-run frame (the default is silence).
    void set_end_frame_after_stop(bool on) { end_frame_after_stop = on; }
    // The frames of this many more samples follow a stop command, `delay_ms` after it (the frame in flight
    // and what the instrument still held, late on a busy machine); then the end frame, if set, or silence.
    void set_frames_after_stop(int samples, int delay_ms)
    {
        samples_after_stop = samples;
        after_stop_delay_ms = delay_ms;
    }

    // Every byte the program sent, in order.
    const QByteArray &received() const { return log; }
    // Forgets the bytes, commands and frames received so far.
    void clear_received()
    {
        log.clear();
        command_log.clear();
        frame_log.clear();
    }
    // Commands recognised, a burst of 20 identical command bytes counting once.
    const QVector<uint8_t> &commands() const { return command_log; }
    // Parameter frames received, as 20 raw bytes each.
    const QVector<QByteArray> &parameter_frames() const { return frame_log; }
    const parsed_frame &last_run() const { return run; }

    bool running() const { return streaming; }
    // Sample frames still to come in the current run (per electrode and sample, before the end frame).
    int64_t samples_planned() const { return planned; }
    int64_t samples_sent() const { return sent; }

    // Pulls the cable: both sides of the pseudo-terminal close and the device node disappears.
    void unplug();

    // The model's current for one sample, for tests that compare decoded values (µA).
    static double redox_current_uA(double potential_V, int direction, double rate_mV_s, double scale_uA);
    static double full_scale_uA(int range_number);

signals:
    void command_received(uint8_t command);
    void parameter_frame_received(const QByteArray &frame);
    void run_finished();
    void run_stopped();

private:
    struct sample_plan;

    void on_readable();
    void take_byte(uint8_t b);
    void act_on_command(uint8_t command);
    void start_run(const QByteArray &frame);
    void stop_run(bool send_end_frame);
    void pace();
    QByteArray frames_for_sample(int64_t k);
    void queue(const QByteArray &bytes);
    void drain();
    double noise();
    uint32_t next_random();

    int master_fd = -1;
    int slave_fd = -1;   // held open so the master never sees a hang-up while the program's port is closed
    std::unique_ptr<private_terminal> name;   // the path the program is given
    QString path;
    std::unique_ptr<QSocketNotifier> read_notifier;

    uint8_t instrument_id;
    uint8_t kind = 0xC8;
    identify_behaviour behaviour = identify_behaviour::answer;
    double speed_up = 1.0;
    bool end_frame_after_stop = false;
    int samples_after_stop = 0;
    int after_stop_delay_ms = 0;
    uint32_t rng_state = 12345;

    QByteArray log;
    QVector<uint8_t> command_log;
    QVector<QByteArray> frame_log;
    uint8_t burst_byte = 0;
    int burst_length = 0;
    QByteArray frame_in;
    bool in_frame = false;

    // The run being streamed.
    parsed_frame run;
    std::unique_ptr<sample_plan> plan;
    bool streaming = false;
    int64_t planned = 0;
    int64_t sent = 0;
    QElapsedTimer clock;
    QTimer pace_timer;

    QByteArray pending;
    bool drain_scheduled = false;
};
