// Zero-phase filtering of a series that only grows at its end, re-filtering just the tail that new samples reach.
#pragma once

#include "filtering/fir_filter.h"

#include <cstddef>
#include <memory>
#include <vector>

// Gives the same numbers as fir_filter::filtfilt(fir1(order, wn), {1.0}, x) on the whole series, but once the
// order stops changing only the last (order + new samples) outputs and the extension at the end are recomputed:
// with the forward pass kept, an output i depends on samples up to i + order only, so everything before the old
// length minus the order is already final.
class growing_filtfilt {
public:
    void reset();

    // Filters x[0 .. n). Needs n > 3 * order and order >= 1. When the earlier call saw a prefix of x with the
    // same order and cut-off, only the tail is redone; otherwise everything is. Returns the first index whose
    // output may differ from the previous call's (0 after a full re-filter).
    std::size_t update(const double *x, std::size_t n, int order, float wn);

    const std::vector<double> &output() const { return y_; }
    std::size_t size() const { return y_.size(); }

private:
    void full(const double *x, std::size_t n);

    int order_ = 0;
    float wn_ = 0;
    std::shared_ptr<const fir_detail::fir_taps> taps_;  // never changed once made, so copies may share it
    std::size_t length_ = 0;      // samples of x filtered so far
    std::vector<double> s1_;      // left extension, x, right extension
    std::vector<double> s2_;      // forward pass over s1_
    std::vector<double> y_;       // result for x[0 .. length_)
};
