// The receive path of one run: decoded samples kept per electrode, the live and final filter passes, and
// bringing plot curves up to date by changing only the points that differ.
#pragma once

#include "filtering/curve_filtering.h"
#include "instrument/parameter_frames.h"
#include "instrument/sample_decoding.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

class QCPCurve;

// What the run's record says about how its samples are to be filtered, fixed at Start.
struct live_run_setup {
    method_index method = method_index::cyclic;
    QString method_name;        // the record's method text, which picks the sampling rate
    float filter_hz = 0;        // the record's cut-off
    uint16_t rate = 0;          // the record's rate (mV/s, pulses a second); chronoamperometry's step time
    uint16_t cycles = 1;        // chronoamperometry steps
    uint8_t lead_time_s = 0;
    QStringList details;        // pulse methods read their period from here
};

class live_run {
public:
    static constexpr int electrodes = 2;   // index 0 = WE1, 1 = WE2

    // Forgets the previous run and sets up decoding and filtering for this one.
    void start(const live_run_setup &setup, const parameter_frame_result &built);

    // Cuts every whole frame out of rx and files the decoded samples by electrode. An end-of-run frame
    // empties rx and is reported in the result.
    decoded_batch receive(QByteArray &rx);

    const curve_filtering::series &live(int electrode) const { return live_.at(size_t(electrode)); }
    int live_count(int electrode) const { return live(electrode).keys.size(); }

    // One electrode's pass over everything received so far; final at the end of the run or on Stop.
    // False when the shown points did not change (a batch pass before enough samples came in).
    bool pass(int electrode, bool final);
    // The points the record's shown curve holds after the last pass.
    const curve_filtering::series &shown(int electrode) const;
    // Folds the shown points from `from` on (those a pass drew anew) into drawn(); true when its current range
    // grew. A smoothed curve swings past the samples where the current jumps (a sweep's turn), so the axes of a
    // run under way must hold these as well as the samples.
    bool take_drawn(int electrode, int from);
    const run_extremes &drawn() const { return drawn_; }

    const run_decoding_context &decoding() const { return ctx_; }
    const live_run_setup &setup() const { return setup_; }
    // The run's whole span across the plot, known from its frame: potentials in V, or its time in ms.
    axis_range span() const { return span_; }
    bool both_electrodes() const { return curve_filtering::both_electrodes_of_channel(ctx_.channel_code); }
    double sampling_rate_hz() const { return fs_; }

private:
    live_run_setup setup_;
    axis_range span_;
    run_decoding_context ctx_;
    double fs_ = 0;
    run_extremes drawn_;
    curve_filtering::chrono_layout layout_;
    std::array<curve_filtering::series, electrodes> live_;
    std::array<curve_filtering::live_filter_state, electrodes> live_filters_;
    std::array<curve_filtering::chrono_filter_state, electrodes> chrono_filters_;
};

// How sync_curve finds the leading points that need no change.
enum class sync_mode {
    compare_all,      // every held point is compared: exact whatever the curve held before
    growing_prefix,   // the curve is known to hold an earlier pass of the same run, which differs from this one
                      // only from some index on (appended samples, a re-filtered tail): found by bisection
};

// Makes the curve hold exactly `points` (running index = position), keeping the leading points that already
// match and rewriting only the rest; returns how many it kept. Live passes change the tail of a long run, so
// this stays cheap.
int sync_curve(QCPCurve *c, const curve_filtering::series &points, sync_mode mode = sync_mode::compare_all);
