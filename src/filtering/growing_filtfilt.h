// Zero-phase filtering of a series that only grows at its end, re-filtering just the tail that new samples reach.
#pragma once

#include "filtering/fir_filter.h"

#include <cstddef>
#include <memory>
#include <vector>

// Gives the same numbers as fir_filter::filtfilt(fir1(order, wn), {1.0}, x) on the whole series, but once the
// order stops changing only the last (order + new samples) outputs and the extension at the end are recomputed:
// with the forward pass kept, an output i depends on samples up to i + order only, so everything before the old
// length minus the order is already final. Only a window of a few orders is held, so an update costs the same
// however long the series has grown: the caller keeps the outputs it needs.
class growing_filtfilt {
public:
    void reset();

    // An update keeps the outputs of the `count` samples before the previous length readable, besides those it
    // recomputes (a caller that takes outputs some samples after they are made sets this once).
    void keep_outputs(std::size_t count) { keep_ = count; }

    // Filters x[0 .. n). Needs n > 3 * order and order >= 1. When the earlier call saw a prefix of x with the
    // same order and cut-off, only the tail is redone; otherwise everything is. The prefix is recognised by the
    // samples still held (the newest few orders), so a caller with another series of at least the same length
    // calls reset() first. Returns the first index whose output may differ from the previous call's (0 after a
    // full re-filter).
    std::size_t update(const double *x, std::size_t n, int order, float wn);

    // Outputs of samples [output_begin(), size()) are readable.
    std::size_t output_begin() const { return y_begin_; }
    std::size_t size() const { return length_; }
    double at(std::size_t i) const { return y_[i - y_begin_]; }
    const double *outputs_from(std::size_t i) const { return y_.data() + (i - y_begin_); }

private:
    void full(const double *x, std::size_t n);
    void drop_before(std::vector<double> &v, std::size_t &begin, std::size_t new_begin);

    int order_ = 0;
    float wn_ = 0;
    std::shared_ptr<const fir_detail::fir_taps> taps_;  // never changed once made, so copies may share it
    std::size_t length_ = 0;      // samples of x filtered so far
    std::size_t keep_ = 0;
    // Windows of the full-length buffers: s1 = left extension, x, right extension; s2 = forward pass over s1;
    // y = result for x. Each holds its positions from *_begin_ on.
    std::vector<double> s1_, s2_, y_;
    std::size_t s1_begin_ = 0, s2_begin_ = 0, y_begin_ = 0;
};
