// Sample experiment records.
#include "support/experiment_samples.h"

point_series series(std::initializer_list<std::pair<double, double>> points)
{
    point_series s;
    for (const auto &p : points)
        s.append(p.first, p.second);
    return s;
}

QStringList run_details(method_index m, const QString &filter, int device)
{
    QStringList d{method_name(m)};
    switch (m) {
    case method_index::cyclic:
        d << "Er1(mV): -500" << "Er2(mV): 750" << "Ei(mV): -500" << "Rate(mV/sec): 50" << "Cycles: 3";
        break;
    case method_index::differential_pulse:
        d << "Ei(mV): -500" << "Ef(mV): 750" << "Step(mV): 5" << "Width(ms): 10" << "Period(ms): 50";
        break;
    case method_index::square_wave:
        d << "Ei(mV): -500" << "Ef(mV): 750" << "Step(mV): 4" << "Frequency(Hz): 50" << "Amplitude(mV): 20";
        break;
    case method_index::linear_sweep: d << "Ei(mV): -500" << "Ef(mV): 750" << "Rate(mV/sec): 50"; break;
    case method_index::normal_pulse:
        d << "Ei(mV): -500" << "Ef(mV): 750" << "Step(mV): 10" << "Width(ms): 5" << "Period(ms): 20";
        break;
    case method_index::chronoamperometry:
        d << "Ei(mV): 300" << "E1(mV): 1000" << "E2(mV): -1000" << "T1(ms): 200" << "Steps: 3";
        break;
    case method_index::amperometry: d << "E(mV): -100" << "Time(ms): 5000"; break;
    }
    d << filter << "Date: 2020-03-09  09:00:00" << "User: alice";
    d << (device <= 9 ? QStringLiteral("Device ID: RZ410-K26050") : QStringLiteral("Device ID: RZ410-K2605")) +
             QString::number(device);
    return d;
}

experiment_data method_record(method_index m)
{
    experiment_data r;
    r.name = "run";
    r.method = method_name(m);
    r.details = run_details(m, QStringLiteral("Filter: 2Hz"), m == method_index::square_wave ? 123 : 12);
    r.filter_hz = 2;
    r.rate = 50;
    r.cycles = 3;
    r.resolution = m == method_index::cyclic ? 736 : 10;
    r.e_min = -0.5f;
    r.e_max = 0.75f;
    r.e_start = -0.5f;
    for (int i = 0; i < 6; ++i) {
        const double key = -0.5 + 0.25 * i;
        r.ch1.append(key, 0.1 * i - 0.3);
        r.ch1_raw.append(key, 0.11 * i - 0.3);
        if (i < 4) {
            r.ch2.append(key, 1e-5 * (i + 1));
            r.ch2_raw.append(key, 2e-5 * (i + 1));
        }
    }
    r.ch1_raw.append(0.9, 7.5);  // raw curves may hold more points than the shown ones
    return r;
}
