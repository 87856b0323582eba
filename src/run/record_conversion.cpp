// Copies between the run screen's experiment record and the plain record of the experiment files.
#include "run/record_conversion.h"

#include "plot/qcp_compat.h"

namespace {

point_series series_of(const QCPCurve *c)
{
    qcp::points p = qcp::read_points(c);
    point_series s;
    s.keys = std::move(p.keys);
    s.values = std::move(p.values);
    return s;
}

void fill_curve(QCPCurve *c, const point_series &s, const std::function<void()> &between_parts)
{
    if (!c)
        return;
    if (s.empty())
        qcp::clear_points(c);
    else
        qcp::set_points(c, s.keys, s.values, between_parts);
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

void data_to_record(const experiment_data &data, curve &record, const std::function<void()> &between_parts)
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
    fill_curve(record.ch1_curve, data.ch1, between_parts);
    fill_curve(record.ch2_curve, data.ch2, between_parts);
    if (between_parts) {
        qcp::prepare_view(record.ch1_curve, between_parts);
        qcp::prepare_view(record.ch2_curve, between_parts);
    }
    fill_curve(record.ch1_raw_curve, data.ch1_raw, between_parts);
    fill_curve(record.ch2_raw_curve, data.ch2_raw, between_parts);
}
