// Cutting one cycle of one working electrode out of a received voltammogram, and the peak-slider ranges an
// experiment offers. Plain data in, data out; the analysis window copies the results into its curves and sliders.
#pragma once

#include "analysis/analysis_series.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace analysis {

// Potential step of a record in mV: its resolution when that is 1..255 mV, else the standard 0.736 mV.
float potential_step_mV(uint16_t resolution);

// Potential extremes of a record's measured keys (V). An empty record gives e_max -999, e_min 999.
struct potential_range {
    float e_max = -999;
    float e_min = 999;
};
// The first n points, read from electrode 1 while it has them and from electrode 2 after that.
// The window writes the result back into the experiment's e_max / e_min (later cuts use the measured extremes).
potential_range find_potential_range(const series &ch1, const series &ch2, std::size_t n);

// What the cycle boundaries of a record depend on.
struct cycle_geometry {
    float e_max = 0, e_min = 0, e_start = 0;  // V
    uint16_t resolution = 0;
};

// Estimated index one past the last point of cycle j (cycle 0 runs from the start potential up, down to e_min; later
// cycles sweep e_min -> e_max -> e_min), counting each sweep by the nominal step; the cuts settle it on the data.
// Computed in 64 bits and never negative, so long runs keep their later cycles; a sweep that falls short of a whole
// number of points only by the potentials' rounding counts as that number, so a record read back from its file is
// cut where it was cut live.
std::size_t cycle_boundary(const cycle_geometry &g, int j);

// The experiment and the selection the analyse action works on.
struct cycle_source {
    const series *ch1 = nullptr;  // electrode 1 of the experiment; null reads as no points
    const series *ch2 = nullptr;  // electrode 2
    cycle_geometry geometry;      // the record's; cut_cycle re-measures e_max / e_min from the points first
    uint16_t cycles = 1;          // the record's cycle count
    int cycle_choices = 1;        // items in the cycle box; a single item means the whole curve
    int cycle_index = 0;          // current index of the cycle box
    int channel_index = 0;        // current index of the channel box: 0 electrode 1, else electrode 2
};

// End index of the chosen cycle (the whole point count for a one-cycle record), at most the point count. Each
// boundary is the estimate of cycle_boundary settled on the nearest sample of the chosen electrode where the potential
// turns at its lower vertex, within half a sweep; so every cycle begins at its lower turn (the first at point 0)
// whatever the step, and a cycle that has not turned when the points end (the last one, or a run stopped early)
// runs to their end. Where the data shows no turn the estimate stands.
std::size_t cycle_end_index(const cycle_source &src);

// The cut cycle (keys and values pass through single precision) and the record's refreshed extremes.
struct cycle_cut {
    series cycle;
    potential_range range;  // store in the experiment's e_max / e_min, and copy into the analysis record
};
// The analyse action's cut: refresh the experiment's extremes from its data, then cut the chosen cycle of the chosen
// electrode with them, between the boundaries cycle_end_index gives. A cycle whose start lies beyond the points is
// empty.
cycle_cut cut_cycle(const cycle_source &src);

// Potential step between the experiment's first two points (electrode 1, or electrode 2 when 1 has none):
// the step the rotated tangents are extended by.
float first_step(const series &ch1, const series &ch2);

// How one peak slider and its rotation slider are set. `enabled` empty means: leave the enabled state as it is.
struct slider_setup {
    std::optional<bool> enabled;
    int maximum = 0;
    int value = 0;
};
struct slider_setups {
    slider_setup anodic;    // `anodic` (and the enabled state of `tangent`)
    slider_setup cathodic;  // `cathodic` (and the enabled state of `cathodic_2`)
    potential_range range;  // the experiment's refreshed extremes
};
// Peak-slider ranges when another experiment is chosen in the experiment box: the anodic anchor runs up to the
// first current maximum, the cathodic one from the upper turning point towards the minimum of the second half.
slider_setups setup_sliders(const series &ch1, const series &ch2, float e_start, int channel_index);

}  // namespace analysis
