// An experiment record as the experiment file holds it: plain values and point lists, no plot objects.
#pragma once

#include "instrument/method_names.h"
#include "instrument/method_parameters.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>
#include <optional>

// One plotted curve in the order its points were taken: keys[i] is the potential in V (time in ms for the
// time-based methods) and values[i] the current in µA of point i.
struct point_series {
    QVector<double> keys;
    QVector<double> values;

    int size() const { return keys.size(); }
    bool empty() const { return keys.isEmpty(); }
    void append(double key, double value)
    {
        keys.append(key);
        values.append(value);
    }
    bool operator==(const point_series &o) const { return keys == o.keys && values == o.values; }
};

// Every field of the run screen's record that a file writes or reads. The run screen copies to and from
// its own record; a fresh value is the reset state a reader starts from.
struct experiment_data {
    QString name;
    QStringList details;      // method text, one line per parameter, "Filter: ", "Date: ", "User: ", "Device ID: "
    QString method;           // one of the seven method names
    uint16_t rate = 0;
    uint16_t resolution = 0;  // mV step, or 736 for the 0.736 mV step
    uint16_t cycles = 1;      // 16 bits: chronoamperometry keeps its step count here
    uint8_t channel_code = 0; // 1 WE1, 2 WE2, 3 both; 0 when no electrode has points
    uint8_t ch1_shown = 0;
    uint8_t ch2_shown = 0;
    uint8_t device_id = 0;
    uint8_t lead_time_s = 0;
    float filter_hz = 0;      // 0 = raw data
    float i_max = 0, i_min = 0; // µA
    float e_max = 0, e_min = 0; // V
    float e_start = 0;          // V
    QString directory;

    point_series ch1, ch2;         // shown curves ("DATA")
    point_series ch1_raw, ch2_raw; // unfiltered curves ("RAW DATA")
};

