// The receive path of one run, kept free of widgets so that tests and the benchmark drive it directly.
#include "run/live_run.h"

#include "plot/qcp_compat.h"

#include <algorithm>

void live_run::start(const live_run_setup &setup, const parameter_frame_result &built)
{
    setup_ = setup;
    span_ = {built.x_lower, built.x_upper};
    ctx_ = start_decoding(setup.method, built);
    const bool both = both_electrodes();
    // The step the instrument was told is the one its samples lie apart.
    fs_ = curve_filtering::record_sampling_rate_hz(setup.method_name, setup.rate, both, built.resolution,
                                                   setup.details);
    layout_ = curve_filtering::make_chrono_layout(setup.rate, setup.cycles, setup.lead_time_s, both);
    drawn_ = run_extremes();
    for (int e = 0; e < electrodes; ++e) {
        live_[size_t(e)] = curve_filtering::series();
        live_filters_[size_t(e)].reset();
        chrono_filters_[size_t(e)].reset();
    }
}

decoded_batch live_run::receive(QByteArray &rx)
{
    decoded_batch batch = decode_received(rx, ctx_);
    for (const decoded_sample &s : batch.samples) {
        curve_filtering::series &target = live_[s.electrode == 1 ? 0 : 1];
        target.keys.push_back(s.x);
        target.values.push_back(double(s.current_uA));
    }
    return batch;
}

bool live_run::pass(int electrode, bool final)
{
    const size_t e = size_t(electrode);
    if (setup_.method == method_index::chronoamperometry) {
        chrono_filters_[e].pass(live_[e], setup_.filter_hz, fs_, layout_);
        return true;
    }
    curve_filtering::live_settings s;
    s.filter_hz = setup_.filter_hz;
    s.fs = fs_;
    s.order_cap = electrode == 0 ? curve_filtering::order_cap : curve_filtering::order_cap_we2;
    s.hold_back = curve_filtering::live_hold_back(setup_.method, setup_.rate, fs_);
    return live_filters_[e].pass(live_[e], s, final);
}

bool live_run::take_drawn(int electrode, int from)
{
    const curve_filtering::series &points = shown(electrode);
    const run_extremes before = drawn_;
    const int n = std::min(points.keys.size(), points.values.size());
    for (int i = std::max(0, from); i < n; ++i)
        update_extremes(drawn_, float(points.keys[i]), float(points.values[i]));
    return drawn_.any != before.any || drawn_.i_min < before.i_min || drawn_.i_max > before.i_max;
}

const curve_filtering::series &live_run::shown(int electrode) const
{
    const size_t e = size_t(electrode);
    return setup_.method == method_index::chronoamperometry ? chrono_filters_[e].shown() : live_filters_[e].shown();
}

int sync_curve(QCPCurve *c, const curve_filtering::series &points, sync_mode mode)
{
    if (!c)
        return 0;
    const QSharedPointer<QCPCurveDataContainer> data = c->data();
    const int n = std::min(points.keys.size(), points.values.size());
    const int held = data->size();
    const int limit = std::min(held, n);
    const auto same_at = [&](int i) {
        const auto it = data->constBegin() + i;
        return it->t == double(i) && it->key == points.keys[i] && it->value == points.values[i];
    };
    int same = 0;
    if (mode == sync_mode::growing_prefix) {
        // Points before the first change are all equal and all after it may differ: bisect for that change.
        int lo = 0, hi = limit;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (same_at(mid))
                lo = mid + 1;
            else
                hi = mid;
        }
        same = lo;
    } else {
        while (same < limit && same_at(same))
            ++same;
    }
    qcp::points_changed(c, same);
    if (same == 0)
        data->clear();
    else if (same < held)
        data->removeAfter(same - 0.5);   // drops running indexes same, same + 1, ...
    if (same == n)
        return same;
    QVector<QCPCurveData> tail;
    tail.reserve(n - same);
    for (int i = same; i < n; ++i)
        tail.append(QCPCurveData(i, points.keys[i], points.values[i]));
    data->add(tail, true);
    return same;
}
