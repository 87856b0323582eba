// Reading data-column numbers from bytes: plain decimals directly, anything else through Qt's string conversion.
#include "files/number_fields.h"

#include <QString>

#include <charconv>
#include <cmath>
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

std::optional<float> through_qstring(std::string_view text)
{
    bool ok = false;
    const float v = QString::fromUtf8(text.data(), int(text.size())).toFloat(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

}  // namespace

std::optional<float> finite_float(std::string_view text)
{
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
    // Narrowed as the string conversion narrows: beyond the float range, or nonzero but below the smallest
    // float, the text is no float.
    if (std::fabs(d) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    const float f = float(d);
    if (f == 0)
        return std::nullopt;
    return f;
}
