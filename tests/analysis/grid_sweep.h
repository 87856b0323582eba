// Potentials of a cyclic run as the instrument reports them: each requested potential put on its 0.736 mV grid.
#pragma once

#include <QString>

#include <cmath>
#include <vector>

constexpr double grid_mV = 0.736;

// `count` samples of the triangle start -> high -> low -> high ..., requested in steps of step_mV and reported as
// the nearest grid point (V): at 1, 2 and 5 mV the steps come out uneven and the turns off the requested ones
// (inside from -400 to 600 mV, outside from -100 to 100 mV).
// At the native step (grid_mV) the sweep moves one grid unit a sample between the grid points nearest its vertices.
// With `six_digits` every potential is read back as an experiment file keeps it, to six significant digits.
inline std::vector<double> grid_sweep(double start_mV, double high_mV, double low_mV, double step_mV, long count,
                                      bool six_digits = false)
{
    if (step_mV == grid_mV)
        for (double *v : {&start_mV, &high_mV, &low_mV})
            *v = std::round(*v / grid_mV) * grid_mV;
    const long up = std::lround((high_mV - start_mV) / step_mV), down = std::lround((low_mV - start_mV) / step_mV);
    std::vector<double> keys;
    long q = 0, dir = 1;  // requested potential start + q steps
    for (long t = 0; t < count; ++t) {
        const double e = std::round((start_mV + double(q) * step_mV) / grid_mV) * grid_mV / 1000;
        keys.push_back(six_digits ? double(QString::number(e, 'g', 6).toFloat()) : e);
        if ((dir > 0 && q >= up) || (dir < 0 && q <= down))
            dir = -dir;
        q += dir;
    }
    return keys;
}
