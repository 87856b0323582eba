// Reading data-column numbers from bytes: plain decimals directly, anything else through Qt's string conversion.
#include "files/number_fields.h"

#include <QString>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// [+-]digits[.digits][(e|E)[+-]digits] with at least one digit before the exponent: the only form the writers
// produce. `mantissa_end` is where the exponent (or the text) starts.
bool plain_decimal(std::string_view s, size_t &mantissa_end)
{
    size_t i = 0;
    const size_t n = s.size();
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < n && is_digit(s[i]))
        ++i, ++digits;
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && is_digit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    mantissa_end = i;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t exponent_digits = 0;
        while (i < n && is_digit(s[i]))
            ++i, ++exponent_digits;
        if (exponent_digits == 0)
            return false;
    }
    return i == n;
}

// The quick way for the short decimals the writers produce: at most 19 significant digits give a whole number
// below 2^53 and a power of ten up to 10^22, both exact, so one multiplication or division rounds the value
// correctly. No value for anything else, which then takes the general way.
std::optional<double> short_decimal(std::string_view s)
{
    size_t i = 0;
    const size_t n = s.size();
    const bool negative = n > 0 && s[0] == '-';
    if (n > 0 && (s[0] == '+' || s[0] == '-'))
        ++i;
    uint64_t mantissa = 0;
    int significant = 0, exponent = 0;
    bool any_digit = false;
    const auto take_digit = [&](char c) {
        any_digit = true;
        if (mantissa == 0 && c == '0')
            return true;
        if (++significant > 19)
            return false;
        mantissa = mantissa * 10 + uint64_t(c - '0');
        return true;
    };
    for (; i < n && is_digit(s[i]); ++i)
        if (!take_digit(s[i]))
            return std::nullopt;
    if (i < n && s[i] == '.') {
        for (++i; i < n && is_digit(s[i]); ++i) {
            if (!take_digit(s[i]))
                return std::nullopt;
            --exponent;
        }
    }
    if (!any_digit)
        return std::nullopt;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        const bool down = i < n && s[i] == '-';
        if (i < n && (s[i] == '+' || s[i] == '-'))
            ++i;
        int written = 0, digits = 0;
        for (; i < n && is_digit(s[i]) && digits < 5; ++i, ++digits)
            written = written * 10 + (s[i] - '0');
        if (digits == 0)
            return std::nullopt;
        exponent += down ? -written : written;
    }
    if (i != n)
        return std::nullopt;
    if (mantissa == 0)
        return negative ? -0.0 : 0.0;
    if (mantissa > (uint64_t(1) << 53) || exponent < -exact_power_of_ten_max || exponent > exact_power_of_ten_max)
        return std::nullopt;
    const double m = double(mantissa);
    const double v = exponent >= 0 ? m * exact_power_of_ten(exponent) : m / exact_power_of_ten(-exponent);
    return negative ? -v : v;
}

std::optional<float> through_qstring(std::string_view text)
{
    // A byte-order mark inside a line (files joined by hand) is no part of a number; decoding the field on its
    // own would drop a leading one and let the number through.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        return std::nullopt;
    bool ok = false;
    const float v = QString::fromUtf8(text.data(), int(text.size())).toFloat(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// Narrowed as the string conversion narrows: beyond the float range, or nonzero but below the smallest float, the
// text is no float.
std::optional<float> narrowed(double d)
{
    if (std::fabs(d) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    const float f = float(d);
    if (f == 0 && d != 0)
        return std::nullopt;
    return f;
}

}  // namespace

double exact_power_of_ten(int k)
{
    static constexpr double powers[exact_power_of_ten_max + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    return powers[k];
}

std::optional<float> finite_float(std::string_view text)
{
    if (const std::optional<double> quick = short_decimal(text))
        return narrowed(*quick);
    size_t mantissa_end = 0;
    if (!plain_decimal(text, mantissa_end))
        return through_qstring(text);
    const char *begin = text.data() + (text.front() == '+' ? 1 : 0);
    const char *end = text.data() + text.size();
    double d = 0;
    const std::from_chars_result r = std::from_chars(begin, end, d);
    if (r.ec != std::errc() || r.ptr != end)
        return through_qstring(text);
    if (d == 0) {
        // A nonzero number that became 0 is refused, as the string conversion refuses it.
        for (size_t i = 0; i < mantissa_end; ++i)
            if (text[i] >= '1' && text[i] <= '9')
                return std::nullopt;
        return float(d);
    }
    return narrowed(d);
}
