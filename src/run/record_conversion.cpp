// Copies between the run screen's experiment record and the plain record of the experiment files.
#include "run/record_conversion.h"

#include "plot/qcp_compat.h"

#include <future>

namespace {

point_series series_of(const QCPCurve *c)
{
    qcp::points p = qcp::read_points(c);
    point_series s;
    s.keys = std::move(p.keys);
    s.values = std::move(p.values);
    return s;
}

point_span span_of(const QCPCurve *c)
{
    point_span s;
    if (!c || c->data()->isEmpty())
        return s;
    const QCPCurveData &first = *c->data()->constBegin();
    s.keys = &first.key;
    s.values = &first.value;
    s.stride = sizeof(QCPCurveData) / sizeof(double);
    s.count = c->data()->size();
    return s;
}

}  // namespace

record_points points_in_place(const curve &record)
{
    return {span_of(record.ch1_curve), span_of(record.ch2_curve), span_of(record.ch1_raw_curve),
            span_of(record.ch2_raw_curve)};
}

experiment_data record_to_data(const curve &record)
{
    experiment_data d = record_fields(record);
    d.ch1 = series_of(record.ch1_curve);
    d.ch2 = series_of(record.ch2_curve);
    d.ch1_raw = series_of(record.ch1_raw_curve);
    d.ch2_raw = series_of(record.ch2_raw_curve);
    return d;
}

experiment_data record_fields(const curve &record)
{
    experiment_data d;
    d.name = record.name;
    d.details = record.details;
    d.method = record.method;
    d.rate = record.rate;
    d.resolution = record.resolution;
    d.cycles = record.cycles;
    d.channel_code = record.channel_code;
    d.ch1_shown = record.ch1_shown;
    d.ch2_shown = record.ch2_shown;
    d.device_id = record.device_id;
    d.lead_time_s = record.lead_time_s;
    d.filter_hz = record.filter_hz;
    d.i_max = record.i_max;
    d.i_min = record.i_min;
    d.e_max = record.e_max;
    d.e_min = record.e_min;
    d.e_start = record.e_start;
    d.directory = record.directory;
    return d;
}

opened_experiment read_for_plot(const QString &path, const method_pages &form,
                                const std::function<bool(double)> &between_parts)
{
    opened_experiment opened;
    // Reading takes the most; making the curve points the rest.
    opened.load = load_experiment_file(path, form, [&](double f) { return !between_parts || between_parts(0.9 * f); });
    if (!opened.load.contents)
        return opened;
    experiment_data &r = opened.load.contents->record;
    if (between_parts && !between_parts(0.9)) {
        opened = opened_experiment();
        opened.load.cancelled = true;
        return opened;
    }
    // The four curves are made at once, each on a thread of its own; each series is given up as soon as its curve
    // points are made.
    point_series *series[4] = {&r.ch1, &r.ch2, &r.ch1_raw, &r.ch2_raw};
    std::future<void> made[4];
    for (size_t i = 0; i < 4; ++i)
        made[i] = std::async(std::launch::async, [&opened, &series, i] {
            opened.points[i] = qcp::curve_data(series[i]->keys, series[i]->values);
            *series[i] = point_series();
        });
    for (std::future<void> &m : made)
        m.wait();
    return opened;
}

void data_to_record(const experiment_data &data, const curve_points &points, curve &record,
                    const std::function<void()> &between_parts)
{
    record.name = data.name;
    record.details = data.details;
    record.method = data.method;
    record.rate = data.rate;
    record.resolution = data.resolution;
    record.cycles = data.cycles;
    record.channel_code = data.channel_code;
    record.ch1_shown = data.ch1_shown;
    record.ch2_shown = data.ch2_shown;
    record.device_id = data.device_id;
    record.lead_time_s = data.lead_time_s;
    record.filter_hz = data.filter_hz;
    record.i_max = data.i_max;
    record.i_min = data.i_min;
    record.e_max = data.e_max;
    record.e_min = data.e_min;
    record.e_start = data.e_start;
    record.directory = data.directory;
    QCPCurve *curves[4] = {record.ch1_curve, record.ch2_curve, record.ch1_raw_curve, record.ch2_raw_curve};
    for (size_t i = 0; i < 4; ++i) {
        if (points[i].isEmpty())
            qcp::clear_points(curves[i]);
        else
            qcp::take_points(curves[i], points[i]);
    }
    if (between_parts) {
        qcp::prepare_view(record.ch1_curve, between_parts);
        qcp::prepare_view(record.ch2_curve, between_parts);
    }
}
