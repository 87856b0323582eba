// What one listed analysis holds beside its curve record: the two tangent lines, the peak values, the slider
// positions the tangents were drawn with, and the folder of its file. Row r of the analysis list owns record r.
#pragma once

#include <QColor>
#include <QString>
#include <cstdint>

class QCPCurve;

struct analysis_result {
    // Drawn tangent lines: four points each (far end, anchor, line at the peak potential, the peak itself).
    QCPCurve *anodic_tangent = nullptr;
    QCPCurve *cathodic_tangent = nullptr;
    float Epa = 0, Epc = 0;  // peak potentials, mV
    float Ipa = 0, Ipc = 0;  // peak currents above (below) their tangent, µA
    QColor colour_a;         // anodic tangent pen
    QColor colour_b;         // cathodic tangent pen
    float anodic_raw_slope = 0, cathodic_raw_slope = 0;  // window slopes, µA per point
    float cycle_max = 0, cycle_min = 0;                  // µA
    uint16_t anodic_peak_index = 0, cathodic_peak_index = 0;
    // Slider state at the last automatic tangent; the analysis file stores these six values.
    uint16_t current_cathodic = 0, current_anodic = 0;
    int16_t current_tangent = 0, current_cathodic_2 = 0;  // rotations in degrees (cathodic stored negated)
    int16_t anodic_max = 0, cathodic_max = 0;
    float anodic_slope = 0, cathodic_slope = 0;  // normalised base slopes (see tangent_volt_scale)
    uint8_t channel_index = 0, cycle_index = 0;  // channel and cycle box rows at analysis time
    // Row of the experiment box the analysis was made from (or its file's copy), -1 for none. Names may repeat
    // (an opened file named like an experiment), and experiments never leave the box, so the row stays its own.
    int experiment_row = -1;
    // The method and the two Pearson settings the analysis was made with (or read from its file): its file holds
    // them, also when it is saved while the controls show another analysis.
    QString method_text;          // "Peaks" or "Pearson's RR"
    int rr = 9500, sample = 200;  // threshold x 10000, window length in points
    QString folder;                              // folder of the analysis file; empty until saved or opened
};

// The analysis list, the analysis records and their results hold this many rows.
constexpr int max_analyses = 256;
