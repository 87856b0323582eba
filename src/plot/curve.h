// The experiment record: one per run started or file opened. The run screen keeps a fixed array of them.
#pragma once

#include <QColor>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <cstdint>

class QCPCurve;

struct curve {
    // The four plot curves belong to the plot widget; the record only points at them.
    QCPCurve *ch1_curve = nullptr;      // shown, electrode 1 (key V, or ms for the time-based methods; value µA)
    QCPCurve *ch2_curve = nullptr;      // shown, electrode 2
    QCPCurve *ch1_raw_curve = nullptr;  // unfiltered electrode 1, never drawn ("RAW DATA" of the file)
    QCPCurve *ch2_raw_curve = nullptr;  // unfiltered electrode 2
    QColor ch1_colour;                  // invalid until a run or a file gives it a palette pair
    QColor ch2_colour;
    QString name;
    QStringList details;                // method text, one line per parameter, "Filter: ", "Date: ", "User: ", "Device ID: "
    uint8_t saved = 0;
    uint8_t ch1_shown = 0;
    uint8_t ch2_shown = 0;
    uint8_t device_id = 0;
    QString saved_name;
    uint16_t cycles = 1;                // 16 bits: chronoamperometry stores its step count here
    float i_max = 0, i_min = 0;         // µA
    float e_max = 0, e_min = 0;         // V
    float e_start = 0;                  // V
    QString method;
    uint16_t rate = 0;
    uint16_t resolution = 0;            // mV step, or 736 for the 0.736 mV step
    uint8_t channel_code = 0;           // 1 WE1, 2 WE2, 3 both
    uint8_t hidden = 0;
    float filter_hz = 0;                // 0 = raw data
    uint8_t lead_time_s = 0;
    QString directory;
};

Q_DECLARE_METATYPE(curve)

// The most experiments the run screen holds at once.
constexpr int max_experiments = 255;
