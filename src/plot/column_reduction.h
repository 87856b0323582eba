// Which points of a long curve need drawing at the plot's resolution: per pixel column its lowest and highest
// point (and, where the curve comes back to a column, the ends of each visit), so every column shows the
// curve's full extent.
#pragma once

#include <cstddef>
#include <vector>

// Read access to points laid out with a fixed stride (a plot curve's points, or plain key/value pairs).
struct strided_points {
    const double *keys = nullptr;    // key of point 0
    const double *values = nullptr;  // value of point 0
    std::ptrdiff_t stride = 2;       // doubles from one point to the next
    int count = 0;

    double key(int i) const { return keys[std::ptrdiff_t(i) * stride]; }
    double value(int i) const { return values[std::ptrdiff_t(i) * stride]; }
};

// The key window of the plot split into equal columns, one per pixel.
struct column_grid {
    double lower = 0, upper = 1;  // keys at the left and right edge
    int columns = 1;
};

// Column of a key: 0 .. columns - 1 inside the window, -1 left of it, `columns` right of it, -2 for a key that
// is not a number.
int column_of(const column_grid &grid, double key);

// A point chosen for drawing, with its key and value as they were when it was chosen.
struct drawn_point {
    int index = 0;
    double key = 0, value = 0;
};

// The drawn points of a time-keyed curve in the order to draw them: where a column holds exactly two points
// (its lowest and highest), the one nearer to where the line arrives from the column before comes first.
// Both lie in one pixel column, so the picture is the same, but a dense band is painted once instead of
// being crossed again by every join to the next column.
std::vector<drawn_point> short_joins(const std::vector<drawn_point> &drawn, const column_grid &grid);

// Kept beside one curve and told which points changed, so that finding the drawn points costs about the
// plot's width for curves whose keys only grow (time), and only the changed part for any other curve.
class column_reduction {
public:
    // Points from `index` on were rewritten, added or removed since the last update.
    void changed_from(int index);

    // Brings the summaries up to `pts`; only the points from the first changed index on are read.
    void update(const strided_points &pts);

    // True when every key is at least the one before (times): the reduction then looks up the window.
    bool keys_ascending() const { return first_descent_ >= valid_; }

    // The points to draw, by ascending index. Every point of a column holding at most four is drawn. For
    // ascending keys, of a fuller column its lowest and highest point, and only the columns in the window and
    // the nearest point on either side count. For other keys each run of consecutive points in one column
    // gives its first, lowest, highest and last point, so the line keeps every turn it takes between columns.
    // `pts` must be what the last update saw.
    const std::vector<drawn_point> &drawn(const strided_points &pts, const column_grid &grid);

    // Gives back the memory of a large result once it has been used (a curve that barely reduces).
    void release_result();

private:
    static constexpr int block = 64;         // points per block of the first summary level
    static constexpr int super_block = 4096; // points per block of the second level

    int arg_extreme(const strided_points &pts, int from, int to, bool highest) const;
    void emit_run(const strided_points &pts, int from, int to, std::vector<int> &out, bool with_ends) const;
    void drawn_ascending(const strided_points &pts, const column_grid &grid);
    void drawn_by_runs(const strided_points &pts, const column_grid &grid);

    int valid_ = 0;              // summaries describe points [0, valid_)
    int first_descent_ = 0;      // first i > 0 whose key is below (or not comparable with) key i - 1
    std::vector<int> low_, high_;            // per block: index of its lowest and highest value
    std::vector<int> super_low_, super_high_;

    // Ascending keys: the columns found so far for this grid, in order. A redraw during a run finds again only
    // the columns from the first changed point on, so it costs about the plot's width.
    struct column_points {
        int from = 0, to = 0;   // its points [from, to)
        drawn_point picked[4];   // kept with their values: a redraw need not reach into millions of points
        int count = 0;
    };
    column_grid columns_grid_;
    std::vector<column_points> columns_;
    int columns_changed_from_ = 0;   // points from here on changed since the columns were found

    // Other keys: the drawn points of the runs so far, for this grid; the last run may still grow.
    column_grid runs_grid_;
    int runs_scanned_ = 0;
    int runs_redo_from_ = 0;     // points from here on changed since the runs were found
    std::vector<int> runs_drawn_;

    std::vector<drawn_point> out_;
};
