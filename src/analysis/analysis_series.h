// Point series handed between the analysis screen and its arithmetic: a plot curve's points in curve order.
#pragma once

#include <QVector>

#include <cstddef>
#include <vector>

namespace analysis {

struct series {
    std::vector<double> keys;    // potential, V
    std::vector<double> values;  // current, µA

    std::size_t size() const { return keys.size(); }
    bool empty() const { return keys.empty(); }
    void append(double key, double value)
    {
        keys.push_back(key);
        values.push_back(value);
    }
    // A curve answers a lookup of a point it does not have with key 0, value 0; the arithmetic relies on that.
    double key_at(std::size_t t) const { return t < keys.size() ? keys[t] : 0.0; }
    double value_at(std::size_t t) const { return t < values.size() ? values[t] : 0.0; }
};

// A plot curve's key and value vectors as a series (the window reads its curves as two QVectors).
inline series make_series(const QVector<double> &keys, const QVector<double> &values)
{
    series s;
    s.keys.assign(keys.begin(), keys.end());
    s.values.assign(values.begin(), values.end());
    s.values.resize(s.keys.size(), 0.0);
    return s;
}

inline QVector<double> to_qvector(const std::vector<double> &v) { return QVector<double>(v.begin(), v.end()); }

// Where the current of the first n points peaks: the first highest point of all of them, and the first lowest
// point past the middle (t > n / 2), comparing values as 32-bit floats from -999 and 999; `min_found` is false
// when no point past the middle lies below 999 µA.
struct cycle_extremes {
    std::size_t max_index = 0, min_index = 0;
    bool min_found = false;
};
inline cycle_extremes find_cycle_extremes(const series &s, std::size_t n)
{
    cycle_extremes e;
    float maxval = -999, minval = 999;
    for (std::size_t t = 0; t < n; ++t) {
        const float v = float(s.value_at(t));
        if (v > maxval) {
            maxval = v;
            e.max_index = t;
        }
        if (v < minval && t > n / 2) {
            minval = v;
            e.min_index = t;
            e.min_found = true;
        }
    }
    return e;
}

// A drawn tangent: four points (far end, anchor, line at the peak potential, the peak itself), or none.
using tangent_line = series;

}  // namespace analysis
