// The data region of an experiment file, tallied a part at a time.
#include "files/experiment_rows.h"

#include "files/experiment_reader.h"
#include "files/number_fields.h"

#include <algorithm>
#include <cstring>

namespace {
// "nan" marks a row with no point for that electrode; overwritten files use "nan1", and a truncated
// row may end before its current.
bool is_missing(std::string_view text) { return text.empty() || text == "nan" || text == "nan1"; }

float to_float(std::string_view text) { return finite_float(text).value_or(0.0f); }
}  // namespace

void row_tally::take(const line_fields &fields)
{
    if (fields.count < 3) {
        in_raw = true; // the "RAW DATA" line; short lines later on are skipped
        return;
    }
    // A title line shifted into the rows, or stray text, would become a phantom point at 0.
    const std::optional<float> key = finite_float(fields.at(1));
    if (!key)
        return;
    const float e = *key;
    const std::string_view c[2] = {fields.at(2), fields.at(3)};
    if (in_raw) {
        for (int k = 0; k < 2; ++k)
            if (!is_missing(c[k]))
                raw[k].append(e, to_float(c[k]));
        return;
    }
    if (!seen_row) {
        // Extremes start from the first point so a curve away from 0 V keeps its own range.
        seen_row = true;
        first_key = e_lo = e_hi = e;
    } else {
        e_lo = std::min(e_lo, e);
        e_hi = std::max(e_hi, e);
    }
    for (int k = 0; k < 2; ++k) {
        if (is_missing(c[k]))
            continue;
        const float i = to_float(c[k]);
        shown[k].append(e, i);
        i_lo = std::min(i_lo, i);
        i_hi = std::max(i_hi, i);
    }
}

void row_tally::add(const row_tally &next)
{
    for (int k = 0; k < 2; ++k) {
        point_series &to = in_raw ? raw[k] : shown[k];
        to.keys += next.shown[k].keys;
        to.values += next.shown[k].values;
        raw[k].keys += next.raw[k].keys;
        raw[k].values += next.raw[k].values;
    }
    if (in_raw)
        return;
    if (next.seen_row) {
        e_lo = seen_row ? std::min(e_lo, next.e_lo) : next.e_lo;
        e_hi = seen_row ? std::max(e_hi, next.e_hi) : next.e_hi;
        if (!seen_row)
            first_key = next.first_key;
        seen_row = true;
    }
    i_lo = std::min(i_lo, next.i_lo);
    i_hi = std::max(i_hi, next.i_hi);
    in_raw = next.in_raw;
}

row_tally tally_lines(const char *text, const char *end)
{
    row_tally t;
    while (text < end) {
        const char *feed = static_cast<const char *>(std::memchr(text, '\n', size_t(end - text)));
        if (feed - text > experiment_longest_line) {
            t.line_too_long = true;
            return t;
        }
        const char *nul = static_cast<const char *>(std::memchr(text, '\0', size_t(feed - text)));
        t.take(line_fields(std::string_view(text, size_t((nul ? nul : feed) - text))));
        ++t.lines;
        text = feed + 1;
    }
    return t;
}
