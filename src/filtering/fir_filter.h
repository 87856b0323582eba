// Windowed-sinc low-pass design and zero-phase (forward-backward) filtering of sampled curves.
#pragma once

#include <armadillo>

#include <cstddef>
#include <cstdint>
#include <vector>

// Stateless: every call works from its arguments only, so one object (or none) serves any number of passes.
class fir_filter {
public:
    fir_filter() = default;

    // Hamming-window sinc low-pass of `order` + 1 taps, scaled to unit gain at 0 Hz.
    // wn is the cut-off in units of half the sampling rate (1 = Nyquist).
    static arma::vec fir1(uint16_t order, float wn);

    // Zero-phase filtering of x into y (same length as x): odd extension of 3 x order samples at both ends,
    // steady-state initial conditions, one pass forward and one backward.
    // Throws std::domain_error on bad feedback coefficients or when x is not longer than 3 x order.
    static void filtfilt(std::vector<double> b, std::vector<double> a, const std::vector<double> &x,
                         std::vector<double> &y);
};

// One causal pass of the rational filter b/a over x into y, starting from the state zi (in and out).
void filter(std::vector<double> b, std::vector<double> a, const std::vector<double> &x, std::vector<double> &y,
            std::vector<double> &zi);

// vec[start] .. vec[end] (both inclusive) in reverse order.
std::vector<double> subvector_reverse(const std::vector<double> &vec, int end, int start);

// The filter's state after a long run of unit input (b and a already padded to equal length >= 1),
// so that a constant input v meets the state v * zi0 and starts without a transient.
std::vector<double> steady_state_initial(const std::vector<double> &b, const std::vector<double> &a);
// The same through the general linear system solved with Eigen (any a); kept separate so the two can be compared.
std::vector<double> steady_state_initial_lu(const std::vector<double> &b, const std::vector<double> &a);

namespace fir_detail {

// The FIR pieces shared by the whole-series filter and the incremental live filter. Both call exactly these
// routines so that re-filtering only a tail gives the same numbers as filtering everything again.

// Taps of one FIR design, prepared once per pass.
struct fir_taps {
    std::vector<double> b;           // b[0] .. b[M]
    std::vector<double> b_reversed;  // b[M] .. b[0]: lets the forward sum run over both arrays in memory order
    std::vector<double> zi0;         // steady-state initial state, M values
    explicit fir_taps(std::vector<double> taps);
    std::size_t order() const { return b.size() - 1; }
};

// Output j of a causal pass over s started from the state zi0 * s[0]:
// sum over k <= min(j, M) of b[k] * s[j - k], plus zi0[j] * s[0] for j < M.
double forward_at(const fir_taps &t, const double *s, std::size_t j);

// Output at forward position p of the backward pass over s2 (length len), started from zi0 * s2[len - 1]:
// sum over k <= min(len - 1 - p, M) of b[k] * s2[p + k], plus zi0[len - 1 - p] * s2[len - 1] near the end.
double backward_at(const fir_taps &t, const double *s2, std::size_t len, std::size_t p);

// Left odd extension of x (nfact samples, point reflection about x[0]) followed by x itself; s1 is replaced.
void extend_left(const double *x, std::size_t len, std::size_t nfact, std::vector<double> &s1);
// Right odd extension (nfact samples, point reflection about x[len - 1]) appended to s1.
void append_right(const double *x, std::size_t len, std::size_t nfact, std::vector<double> &s1);

// True when a is {1.0} possibly followed by zeros: a pure FIR filter.
bool is_plain_fir(const std::vector<double> &a);

}  // namespace fir_detail
