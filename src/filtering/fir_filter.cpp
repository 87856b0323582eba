// Windowed-sinc low-pass design and zero-phase (forward-backward) filtering of sampled curves.
#include "filtering/fir_filter.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

const char *const too_short_text = "Input data too short! Data must have length more than 3 times filter order.";

// Throws the first of the three coefficient errors that applies; NaN counts as non-zero.
void check_feedback(const std::vector<double> &a)
{
    if (a.empty())
        throw std::domain_error("The feedback filter coefficients are empty.");
    if (std::all_of(a.begin(), a.end(), [](double v) { return v == 0.0; }))
        throw std::domain_error("At least one of the feedback filter coefficients has to be non-zero.");
    if (a[0] == 0.0)
        throw std::domain_error("First feedback coefficient has to be non-zero.");
}

// Sum of p[i] * q[i] in a fixed order: four running sums, then the rest. The fixed order matters more than the
// speed: the incremental live filter relies on getting bit-identical sums for identical inputs.
double dot(const double *p, const double *q, std::size_t n)
{
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        s0 += p[i] * q[i];
        s1 += p[i + 1] * q[i + 1];
        s2 += p[i + 2] * q[i + 2];
        s3 += p[i + 3] * q[i + 3];
    }
    for (; i < n; ++i)
        s0 += p[i] * q[i];
    return (s0 + s1) + (s2 + s3);
}

// The general route for any rational filter, step by step as the forward-backward method is defined.
void filtfilt_general(const std::vector<double> &b, const std::vector<double> &a, const std::vector<double> &x,
                      std::vector<double> &y, std::size_t nfact)
{
    const std::vector<double> zi0 = steady_state_initial_lu(b, a);
    const std::size_t len = x.size();

    std::vector<double> s1;
    fir_detail::extend_left(x.data(), len, nfact, s1);
    fir_detail::append_right(x.data(), len, nfact, s1);

    std::vector<double> zi(zi0.size());
    for (std::size_t k = 0; k < zi0.size(); ++k)
        zi[k] = zi0[k] * s1[0];
    std::vector<double> s2;
    filter(b, a, s1, s2, zi);

    std::reverse(s2.begin(), s2.end());
    zi.assign(zi0.size(), 0.0);
    for (std::size_t k = 0; k < zi0.size(); ++k)
        zi[k] = zi0[k] * s2[0];
    filter(b, a, s2, s1, zi);

    y = subvector_reverse(s1, static_cast<int>(s1.size() - nfact - 1), static_cast<int>(nfact));
}

}  // namespace

arma::vec fir_filter::fir1(uint16_t order, float wn_single)
{
    // Five-term cosine-sum window; these weights make it the Hamming window.
    static const double window_weights[5] = {0.54, 0.46, 0.0, 0.0, 0.0};
    const double pi = 3.141592653589793;
    const double wn = wn_single;
    const double m = order;
    const std::size_t taps = std::size_t(order) + 1;
    const double centre = m * 0.5;

    arma::vec h(taps);
    double sum = 0;
    for (std::size_t i = 0; i < taps; ++i) {
        const double di = double(i);
        const double w = window_weights[0] - window_weights[1] * std::cos(2 * pi * di / m)
                         + window_weights[2] * std::cos(4 * pi * di / m) - window_weights[3] * std::cos(6 * pi * di / m)
                         + window_weights[4] * std::cos(8 * pi * di / m);
        const double t = w * wn;
        const double u = (di - centre) * wn;
        double tap;
        if (u == 0.0) {
            tap = t;  // sinc's limit value 1 at the centre
        } else {
            const double xv = pi * u;
            tap = t * std::sin(xv) / xv;
        }
        h[i] = tap;
        sum += tap;
    }
    for (std::size_t i = 0; i < taps; ++i)
        h[i] /= sum;
    return h;
}

namespace {
// Divides both coefficient sets by a[0], so every pass and its initial state describe the same filter.
void normalise_by_a0(std::vector<double> &b, std::vector<double> &a)
{
    if (a[0] == 1.0)
        return;
    const double a0 = a[0];
    for (double &v : a)
        v /= a0;
    for (double &v : b)
        v /= a0;
}
}  // namespace

void filter(std::vector<double> b, std::vector<double> a, const std::vector<double> &x, std::vector<double> &y,
            std::vector<double> &zi)
{
    check_feedback(a);
    normalise_by_a0(b, a);
    const std::size_t nfilt = std::max(b.size(), a.size());
    b.resize(nfilt, 0.0);
    a.resize(nfilt, 0.0);

    // The loop reads earlier inputs while it writes outputs: work from a copy when the caller passed one vector twice.
    std::vector<double> input_copy;
    const std::vector<double> *in = &x;
    if (&x == &y) {
        input_copy = x;
        in = &input_copy;
    }
    zi.resize(nfilt, 0.0);
    y.resize(in->size());
    const std::vector<double> &xs = *in;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        for (std::size_t k = nfilt - 1; k >= 1; --k) {
            if (i >= k)
                zi[k - 1] = (b[k] * xs[i - k] - a[k] * y[i - k]) + zi[k];
        }
        y[i] = b[0] * xs[i] + zi[0];
    }
    zi.resize(nfilt - 1);
}

std::vector<double> subvector_reverse(const std::vector<double> &vec, int end, int start)
{
    std::vector<double> out;
    if (start < 0 || end < start || end >= static_cast<int>(vec.size()))
        return out;
    out.reserve(std::size_t(end - start + 1));
    for (int i = end; i >= start; --i)
        out.push_back(vec[std::size_t(i)]);
    return out;
}

std::vector<double> steady_state_initial(const std::vector<double> &b, const std::vector<double> &a)
{
    if (!fir_detail::is_plain_fir(a) || b.size() < a.size())
        return steady_state_initial_lu(b, a);
    // With a = {1} the system is upper bidiagonal (ones on the diagonal, minus ones above it) with right-hand
    // side b[1..M]: its solution is the suffix sums zi0[r] = b[r + 1] + ... + b[M].
    const std::size_t m = b.size() - 1;
    std::vector<double> zi0(m, 0.0);
    double run = 0;
    for (std::size_t r = m; r-- > 0;) {
        run += b[r + 1];
        zi0[r] = run;
    }
    return zi0;
}

std::vector<double> steady_state_initial_lu(const std::vector<double> &b_in, const std::vector<double> &a_in)
{
    const std::size_t nfilt = std::max(b_in.size(), a_in.size());
    if (nfilt < 2)
        return {};
    std::vector<double> b = b_in, a = a_in;
    b.resize(nfilt, 0.0);
    a.resize(nfilt, 0.0);
    const Eigen::Index n = Eigen::Index(nfilt - 1);
    Eigen::MatrixXd k = Eigen::MatrixXd::Zero(n, n);
    k(0, 0) = 1 + a[1];
    for (Eigen::Index r = 1; r < n; ++r) {
        k(r, 0) = a[std::size_t(r) + 1];
        k(r, r) = 1;
    }
    for (Eigen::Index r = 0; r + 1 < n; ++r)
        k(r, r + 1) = -1;
    Eigen::VectorXd rhs(n);
    for (Eigen::Index r = 0; r < n; ++r)
        rhs(r) = b[std::size_t(r) + 1] - b[0] * a[std::size_t(r) + 1];
    const Eigen::VectorXd zi = k.partialPivLu().inverse() * rhs;
    return std::vector<double>(zi.data(), zi.data() + n);
}

void fir_filter::filtfilt(std::vector<double> b, std::vector<double> a, const std::vector<double> &x,
                          std::vector<double> &y)
{
    const std::size_t nfilt = std::max(b.size(), a.size());
    const long long nfact_signed = 3 * (static_cast<long long>(nfilt) - 1);
    if (nfact_signed >= static_cast<long long>(x.size()))
        throw std::domain_error(too_short_text);
    b.resize(nfilt, 0.0);
    a.resize(nfilt, 0.0);
    // Same checks, in the same order, as the single pass makes on these padded coefficients; made before any work.
    check_feedback(a);
    // The initial state must be the steady state of the filter the passes actually run, which is b / a[0] over
    // a / a[0]; from the undivided coefficients it would belong to another filter (or a singular system).
    normalise_by_a0(b, a);
    const std::size_t nfact = std::size_t(nfact_signed);

    if (!fir_detail::is_plain_fir(a)) {
        std::vector<double> out;
        filtfilt_general(b, a, x, out, nfact);
        y.swap(out);
        return;
    }

    // Pure FIR: the same two passes written as sums over the taps, without the transposed-form state updates.
    const fir_detail::fir_taps t(std::move(b));
    const std::size_t len_x = x.size();
    std::vector<double> s1;
    fir_detail::extend_left(x.data(), len_x, nfact, s1);
    fir_detail::append_right(x.data(), len_x, nfact, s1);
    const std::size_t len = s1.size();
    std::vector<double> s2(len);
    for (std::size_t j = 0; j < len; ++j)
        s2[j] = fir_detail::forward_at(t, s1.data(), j);
    std::vector<double> out(len_x);
    for (std::size_t i = 0; i < len_x; ++i)
        out[i] = fir_detail::backward_at(t, s2.data(), len, i + nfact);
    y.swap(out);
}

namespace fir_detail {

fir_taps::fir_taps(std::vector<double> taps) : b(std::move(taps))
{
    if (b.empty())
        b.push_back(0.0);
    b_reversed.assign(b.rbegin(), b.rend());
    zi0 = steady_state_initial(b, {1.0});
}

double forward_at(const fir_taps &t, const double *s, std::size_t j)
{
    const std::size_t m = t.order();
    const std::size_t kmax = std::min(j, m);
    // sum over k = 0..kmax of b[k] * s[j - k], run as b_reversed[m - kmax .. m] against s[j - kmax .. j]
    double acc = dot(t.b_reversed.data() + (m - kmax), s + (j - kmax), kmax + 1);
    if (j < m)
        acc += t.zi0[j] * s[0];
    return acc;
}

double backward_at(const fir_taps &t, const double *s2, std::size_t len, std::size_t p)
{
    const std::size_t m = t.order();
    const std::size_t from_end = len - 1 - p;
    const std::size_t kmax = std::min(from_end, m);
    double acc = dot(t.b.data(), s2 + p, kmax + 1);
    if (from_end < m)
        acc += t.zi0[from_end] * s2[len - 1];
    return acc;
}

void extend_left(const double *x, std::size_t len, std::size_t nfact, std::vector<double> &s1)
{
    s1.clear();
    s1.reserve(len + 2 * nfact);
    for (std::size_t k = nfact; k >= 1; --k)
        s1.push_back(2 * x[0] - x[k]);
    s1.insert(s1.end(), x, x + len);
}

void append_right(const double *x, std::size_t len, std::size_t nfact, std::vector<double> &s1)
{
    for (std::size_t k = 1; k <= nfact; ++k)
        s1.push_back(2 * x[len - 1] - x[len - 1 - k]);
}

bool is_plain_fir(const std::vector<double> &a)
{
    if (a.empty() || a[0] != 1.0)
        return false;
    return std::all_of(a.begin() + 1, a.end(), [](double v) { return v == 0.0; });
}

}  // namespace fir_detail
