// The "Pearson's RR" method.
#include "analysis/pearson_scan.h"

#include <cmath>
#include <limits>

namespace analysis {

namespace {

constexpr double drop_margin = 0.0003;
constexpr int max_walk_steps = 100000;

// Mean of the second half of the h + h points from `first` minus the mean of the first half, per point.
float half_window_slope(const std::vector<float> &y, std::size_t first, std::size_t h)
{
    if (h == 0)
        return 0;
    float s1 = 0, s2 = 0;
    for (std::size_t k = first; k < first + h; ++k) {
        s2 += y[k + h];
        s1 += y[k];
    }
    const float fh = float(h);
    return (s2 / fh - s1 / fh) / fh;
}

// Scans the window starts [from, to) of one half; a start whose window would leave the cycle ends the half.
correlation_scan scan_half(const std::vector<float> &x, const std::vector<float> &y, std::size_t from,
                           std::size_t to, int w, float threshold)
{
    correlation_scan scan;
    const std::size_t n = x.size();
    for (std::size_t j = from; j < to && j + std::size_t(w) <= n; ++j) {
        if (scan.step(j, window_correlation(&x[j], &y[j], w), threshold))
            break;
    }
    return scan;
}

}  // namespace

bool correlation_scan::step(std::size_t j, float r, float threshold)
{
    if (r > best && r > threshold) {
        best = r;
        accepted = true;
        best_index = j;
        anchor = j;
        return false;
    }
    if (double(r) < double(best) - drop_margin) {
        if (!accepted)
            return false;
        anchor = j;
        dropped = true;
        return true;
    }
    // Within the margin below the best, above the best but not above the threshold, or undefined.
    if (accepted)
        anchor = j;
    return false;
}

correlation_scan scan_correlations(const std::vector<float> &r, std::size_t first, float threshold)
{
    correlation_scan scan;
    for (std::size_t i = 0; i < r.size(); ++i) {
        if (scan.step(first + i, r[i], threshold))
            break;
    }
    return scan;
}

float correlation_threshold(int slider_rate) { return float(slider_rate) / 10000.0f; }

float window_correlation(const float *x, const float *y, int w)
{
    if (w < 2)
        return std::numeric_limits<float>::quiet_NaN();
    float sx = 0, sy = 0;
    for (int k = 0; k < w; ++k) {
        sx += x[k];
        sy += y[k];
    }
    const float mx = sx / float(w), my = sy / float(w);
    float sxy = 0, sxx = 0, syy = 0;
    for (int k = 0; k < w; ++k) {
        const float dx = x[k] - mx, dy = y[k] - my;
        sxy += dx * dy;
        sxx += dx * dx;
        syy += dy * dy;
    }
    const float spread = sxx * syy;
    if (!(spread > 0) || !std::isfinite(spread))
        return std::numeric_limits<float>::quiet_NaN();
    return sxy / std::sqrt(spread);
}

pearson_result run_pearson(const pearson_input &in)
{
    pearson_result out;
    out.cut = cut_cycle(in.source);
    const series &cycle = out.cut.cycle;
    const std::size_t n = cycle.size();
    std::vector<float> x(n), y(n);
    for (std::size_t i = 0; i < n; ++i) {
        x[i] = float(cycle.keys[i]);
        y[i] = float(cycle.values[i]);
    }

    // Both extremes start at 0: a cycle of positive currents keeps its cathodic "peak" at index 0.
    float max = 0, min = 0;
    std::size_t imax = 0, imin = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (y[i] > max) {
            max = y[i];
            imax = i;
        } else if (y[i] < min) {
            min = y[i];
            imin = i;
        }
    }

    const int w = in.window;
    if (w < 2 || std::size_t(w) > n)
        return out;
    const float threshold = correlation_threshold(in.rate_slider);
    const std::size_t half = n / 2;
    out.anodic_scan = scan_half(x, y, 0, half, w, threshold);
    out.found = out.anodic_scan.dropped;
    if (!out.found)
        return out;
    out.cathodic_scan = scan_half(x, y, half, n, w, threshold);

    // Every anchor is a scanned start or 0, so its slope window of 2h <= w points lies inside the cycle.
    const std::size_t h = std::size_t(w / 2);
    const std::size_t a = out.anodic_scan.anchor, a2 = out.cathodic_scan.anchor;
    const float s1 = half_window_slope(y, a, h), s2 = half_window_slope(y, a2, h);
    const float dx = x[0] - x[1];

    if (in.anodic_enabled) {
        const std::size_t b1 = out.anodic_scan.best_index;
        float X = x[b1], Y = y[b1];
        if (y[b1] > min && x[b1] > x[0]) {
            X += dx;
            Y -= s1;
            for (int k = 0; k < max_walk_steps && Y > min && X > x[0]; ++k) {
                Y -= s1;
                X += dx;
            }
        }
        out.anodic.append(X, Y);
        out.anodic.append(x[b1], y[b1]);
        out.anodic.append(x[imax], y[a] + float((long long)imax - (long long)a) * s1);
        out.anodic.append(x[imax], max);
    }
    if (in.cathodic_enabled) {
        const std::size_t b2 = out.cathodic_scan.best_index;
        float X = x[b2], Y = y[b2];
        if (max > y[b2] && x[half] > x[b2]) {
            X -= dx;
            Y -= s2;
            for (int k = 0; k < max_walk_steps && Y < max && X < x[half]; ++k) {
                Y -= s2;
                X -= dx;
            }
        }
        out.cathodic.append(X, Y);
        out.cathodic.append(x[b2], y[b2]);
        out.cathodic.append(x[imin], y[a2] + float((long long)imin - (long long)a2) * s2);
        out.cathodic.append(x[imin], min);
    }
    out.values = values_from_tangents(out.anodic, out.cathodic);
    return out;
}

}  // namespace analysis
