// Numbers in the data columns of the experiment files, read straight from the file's bytes.
#pragma once

#include <optional>
#include <string_view>

// The field as a finite single-precision number, read as the string conversions of the readers have always read
// it: the decimal text is read as a double and then narrowed to float (never rounded to float directly, which
// can differ in the last bit); blanks around it, a leading '+', "inf", "nan", hexadecimal text, numbers beyond
// the float range, nonzero numbers too small for a float and a byte-order mark before the number read as they did
// before. Nothing when the text is no finite float.
std::optional<float> finite_float(std::string_view text);

// The powers of ten a double holds exactly: 10^k for 0 <= k <= 22.
constexpr int exact_power_of_ten_max = 22;
double exact_power_of_ten(int k);
