// The "Peaks" method's tangents: peak-slider ranges on a cut cycle, the automatic base slopes estimated from the
// smoothed cycle, the two rotated tangent lines and the peak values read off them.
#pragma once

#include "analysis/analysis_result.h"
#include "analysis/analysis_series.h"

#include <cstddef>

namespace analysis {

// Position, maximum, enabled state and minimum of one slider.
struct slider {
    int value = 0;
    int maximum = 0;
    bool enabled = true;
    int minimum = 0;
};
// The four sliders of the "Peaks" page.
struct peak_sliders {
    slider anodic, cathodic;  // anchor positions
    int tangent = 0;          // anodic rotation, degrees
    int cathodic_2 = 0;       // cathodic rotation, degrees
};

// Lowest position of a peak slider of range [.., maximum]: the form's 5, or the maximum when that is lower. Every
// range is set from its own maximum, so a short cycle analysed earlier leaves no lower minimum behind.
int anchor_slider_minimum(int maximum);

// Peak-slider ranges for a freshly cut cycle: a slider whose maximum no longer fits gets the new maximum, the
// minimum of that maximum, its middle as value, and its rotation reset to 0; the others keep their maximum, value
// and rotation, with the minimum of their maximum again (the value held within).
// A middle below the minimum is raised to it. The window applies all four with their signals blocked.
peak_sliders reset_slider_ranges(const series &cycle, const peak_sliders &now);

// Width of the slope windows for a cycle of n points: n div 250 kept in 8 bits, and 2 when that is 4 or less.
int tangent_window(std::size_t n);

// The automatic tangent: peak search on the cycle, base slopes from the smoothed cycle at the slider anchors.
// Returns `record` with the four values zeroed and, for cycles of more than 4 points, its slopes, extremes, peak
// indices and slider state filled in (curves, colours, folder and the channel and cycle indices are kept).
analysis_result auto_tangent(const series &cycle, const series &smoothed, const peak_sliders &sliders,
                             analysis_result record);

// Current change per volt of a line whose normalised slope is 1 on this cycle: the record's current range over the
// potential span the slopes were normalised with (the cycle's first point to its middle one). Taken from the cycle
// and the record wherever a tangent is drawn, so a rotation turns the measured slope however the analysis came to
// hand. 0 (a flat line) where the span or range gives no finite scale.
float tangent_volt_scale(const series &cycle, const analysis_result &record);

// What the rotations need of an analysis read from its file, which keeps the cycle, the drawn lines and the slider
// positions but not the slopes: the peaks searched as auto_tangent does, and the base slopes the stored lines were
// turned from by the stored rotations. So a reopened analysis turns the slope it was saved with. Other fields kept.
analysis_result restore_tangent_state(const series &cycle, const tangent_line &anodic, const tangent_line &cathodic,
                                      analysis_result record);

// The anodic tangent rotated by v degrees from its base slope (the `tangent` slider's slot; store v in
// current_tangent). d is first_step() of the experiment. Empty when `enabled` is false or the cycle has 4 points
// or fewer.
tangent_line anodic_tangent(const series &cycle, const analysis_result &record, float d, int v, bool enabled);

// The cathodic tangent rotated by -v degrees (the `cathodic_2` slider's slot; store -v in current_cathodic_2).
// The line is extended forward up to e_max, the analysis record's upper potential.
tangent_line cathodic_tangent(const series &cycle, const analysis_result &record, float d, float e_max, int v,
                              bool enabled);

// The four peak values as the labels show them.
struct peak_values {
    float Epa = 0, Epc = 0;  // mV, cut toward zero to hundredths
    float Ipa = 0, Ipc = 0;  // µA above (below) the tangent at the peak, not cut
};
// Read off the drawn tangents (third point: line at the peak potential, fourth: the peak); an empty tangent gives 0.
peak_values values_from_tangents(const tangent_line &anodic, const tangent_line &cathodic);

}  // namespace analysis
