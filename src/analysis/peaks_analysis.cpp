// One whole "Peaks" analysis.
#include "analysis/peaks_analysis.h"

#include "instrument/method_parameters.h"

namespace analysis {

peaks_analysis run_peaks(const peaks_input &in)
{
    static const series no_points;
    const series &ch1 = in.source.ch1 ? *in.source.ch1 : no_points;
    const series &ch2 = in.source.ch2 ? *in.source.ch2 : no_points;

    peaks_analysis out;
    out.cut = cut_cycle(in.source);
    const series &cycle = out.cut.cycle;
    out.sliders = reset_slider_ranges(cycle, in.sliders);
    // The record's own step, the one its cycles are cut by, sets how fast its samples come.
    out.smoothing = smooth_cycle(cycle, in.rate, whole_step_mV(in.source.geometry.resolution));
    out.record = auto_tangent(cycle, out.smoothing.curve, out.sliders, in.record);

    const float d = first_step(ch1, ch2);
    out.anodic = anodic_tangent(cycle, out.record, d, 0, out.sliders.anodic.enabled);
    out.cathodic = cathodic_tangent(cycle, out.record, d, out.cut.range.e_max, 0, out.sliders.cathodic.enabled);
    out.values = values_from_tangents(out.anodic, out.cathodic);
    out.record.Epa = out.values.Epa;
    out.record.Epc = out.values.Epc;
    out.record.Ipa = out.values.Ipa;
    out.record.Ipc = out.values.Ipc;
    return out;
}

}  // namespace analysis
