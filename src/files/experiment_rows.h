// The data region of an experiment file: its DATA and RAW DATA rows, tallied a part at a time.
#pragma once

#include "files/experiment_data.h"
#include "files/text_lines.h"

// The rows of the data region as they are taken: DATA rows, with their extremes, until the first line of fewer
// than three fields (the "RAW DATA" line), raw rows after it. A part of the file can be tallied on its own and
// added to the tally of everything before it, so that long files are read in parts on several threads.
struct row_tally {
    point_series shown[2], raw[2];
    bool in_raw = false;
    bool line_too_long = false;  // a line longer than experiment_longest_line: the file is no experiment file
    int lines = 0;               // lines tallied
    bool seen_row = false;  // a DATA row with a key: the potential extremes start from it
    float first_key = 0;
    float e_lo = 0, e_hi = 0, i_lo = 0, i_hi = 0;  // the current extremes always include 0

    // Takes one row (or the "RAW DATA" line).
    void take(const line_fields &fields);
    // Adds the tally of the part of the file that follows.
    void add(const row_tally &next);
};

// Tallies every whole line of `text`, which ends with a line feed.
row_tally tally_lines(const char *text, const char *end);
