// Zero-phase filtering of a series that only grows at its end, re-filtering just the tail that new samples reach.
#include "filtering/growing_filtfilt.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

void growing_filtfilt::reset()
{
    order_ = 0;
    wn_ = 0;
    taps_.reset();
    length_ = 0;
    s1_.clear();
    s2_.clear();
    y_.clear();
    s1_begin_ = s2_begin_ = y_begin_ = 0;
}

void growing_filtfilt::drop_before(std::vector<double> &v, std::size_t &begin, std::size_t new_begin)
{
    if (new_begin <= begin)
        return;
    v.erase(v.begin(), v.begin() + std::ptrdiff_t(std::min(new_begin - begin, v.size())));
    begin = new_begin;
}

void growing_filtfilt::full(const double *x, std::size_t n)
{
    const std::size_t nfact = 3 * std::size_t(order_);
    fir_detail::extend_left(x, n, nfact, s1_);
    fir_detail::append_right(x, n, nfact, s1_);
    const std::size_t len = s1_.size();
    s2_.resize(len);
    for (std::size_t j = 0; j < len; ++j)
        s2_[j] = fir_detail::forward_at(*taps_, s1_.data(), j);
    y_.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        y_[i] = fir_detail::backward_at(*taps_, s2_.data(), len, i + nfact);
    s1_begin_ = s2_begin_ = y_begin_ = 0;
    length_ = n;
}

std::size_t growing_filtfilt::update(const double *x, std::size_t n, int order, float wn)
{
    // Same domain as the whole-series filter; the callers derive the order from n, so this never fires for them.
    if (order < 1 || n <= 3 * std::size_t(order))
        throw std::domain_error("Input data too short! Data must have length more than 3 times filter order.");
    const std::size_t m = std::size_t(order);
    const std::size_t nfact = 3 * m;
    // Bitwise comparison of the samples still held: a different series must not reuse old results.
    const bool same_design = taps_ && order == order_ && std::memcmp(&wn, &wn_, sizeof wn) == 0;
    bool grows = same_design && n >= length_ && length_ > nfact;
    if (grows) {
        const std::size_t from = std::max(s1_begin_, nfact);
        const std::size_t to = nfact + length_;
        grows = from < to
                && std::memcmp(s1_.data() + (from - s1_begin_), x + (from - nfact), (to - from) * sizeof(double)) == 0;
    }
    if (!same_design) {
        order_ = order;
        wn_ = wn;
        const arma::vec b = fir_filter::fir1(uint16_t(order), wn);
        taps_ = std::make_shared<const fir_detail::fir_taps>(arma::conv_to<std::vector<double>>::from(b));
    }
    std::size_t first = 0;
    if (!grows) {
        full(x, n);
    } else {
        const std::size_t old_length = length_;
        first = old_length - m;
        // Outputs the caller may still take, besides those about to be recomputed.
        drop_before(y_, y_begin_, std::min(first, old_length > keep_ ? old_length - keep_ : 0));

        // Drop the old end extension, add the new samples and the new extension.
        s1_.resize(nfact + old_length - s1_begin_);
        s1_.insert(s1_.end(), x + old_length, x + n);
        fir_detail::append_right(x, n, nfact, s1_);
        const std::size_t len = nfact + n + nfact;

        // Forward outputs up to the old last sample saw only unchanged input. Past the first `order` positions
        // an output reads the `order` + 1 inputs before it and nothing else, so the window serves.
        s2_.resize(len - s2_begin_);
        for (std::size_t j = nfact + old_length; j < len; ++j)
            s2_[j - s2_begin_] = fir_detail::forward_at(*taps_, s1_.data() + (j - m - s1_begin_), m);

        // Backward output i reads forward outputs i .. i + order (and, within order of the end, the last one).
        y_.resize(n - y_begin_);
        for (std::size_t i = first; i < n; ++i)
            y_[i - y_begin_] = fir_detail::backward_at(*taps_, s2_.data(), len - s2_begin_, i + nfact - s2_begin_);
        length_ = n;
    }
    // The next update recomputes from the newest sample minus the order: keep just what that reads.
    const std::size_t window_begin = nfact + n - m;
    drop_before(s1_, s1_begin_, window_begin);
    drop_before(s2_, s2_begin_, window_begin);
    return first;
}
