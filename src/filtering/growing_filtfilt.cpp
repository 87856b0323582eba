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
}

void growing_filtfilt::full(const double *x, std::size_t n)
{
    const std::size_t m = std::size_t(order_);
    const std::size_t nfact = 3 * m;
    fir_detail::extend_left(x, n, nfact, s1_);
    fir_detail::append_right(x, n, nfact, s1_);
    const std::size_t len = s1_.size();
    // Room to grow: a live run appends a few samples per pass, and moving every buffer on the next pass would
    // cost as much as the filtering this class saves.
    const std::size_t room = len + len / 2;
    s1_.reserve(room);
    s2_.reserve(room);
    y_.reserve(room);
    s2_.resize(len);
    for (std::size_t j = 0; j < len; ++j)
        s2_[j] = fir_detail::forward_at(*taps_, s1_.data(), j);
    y_.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        y_[i] = fir_detail::backward_at(*taps_, s2_.data(), len, i + nfact);
    length_ = n;
}

std::size_t growing_filtfilt::update(const double *x, std::size_t n, int order, float wn)
{
    // Same domain as the whole-series filter; the callers derive the order from n, so this never fires for them.
    if (order < 1 || n <= 3 * std::size_t(order))
        throw std::domain_error("Input data too short! Data must have length more than 3 times filter order.");
    const std::size_t m = std::size_t(order);
    const std::size_t nfact = 3 * m;
    // Bitwise comparison of the part already seen: a different series (a new run) must never reuse old results.
    const bool same_design = taps_ && order == order_ && std::memcmp(&wn, &wn_, sizeof wn) == 0;
    const bool grows = same_design && n >= length_ && length_ > nfact
                       && std::memcmp(s1_.data() + nfact, x, length_ * sizeof(double)) == 0;
    if (!same_design) {
        order_ = order;
        wn_ = wn;
        const arma::vec b = fir_filter::fir1(uint16_t(order), wn);
        taps_ = std::make_shared<const fir_detail::fir_taps>(arma::conv_to<std::vector<double>>::from(b));
    }
    if (!grows) {
        full(x, n);
        return 0;
    }

    const std::size_t old_length = length_;
    // Drop the old end extension, add the new samples and the new extension.
    s1_.resize(nfact + old_length);
    s1_.insert(s1_.end(), x + old_length, x + n);
    fir_detail::append_right(x, n, nfact, s1_);
    const std::size_t len = s1_.size();

    // Forward outputs up to the old last sample saw only unchanged input.
    s2_.resize(len);
    for (std::size_t j = nfact + old_length; j < len; ++j)
        s2_[j] = fir_detail::forward_at(*taps_, s1_.data(), j);

    // Backward output i reads forward outputs i .. i + order (and, within order of the end, the last one).
    const std::size_t first = old_length > m ? old_length - m : 0;
    y_.resize(n);
    for (std::size_t i = first; i < n; ++i)
        y_[i] = fir_detail::backward_at(*taps_, s2_.data(), len, i + nfact);
    length_ = n;
    return first;
}
