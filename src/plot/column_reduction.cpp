// Which points of a long curve need drawing at the plot's resolution.
#include "plot/column_reduction.h"

#include <algorithm>
#include <climits>
#include <cmath>

int column_of(const column_grid &grid, double key)
{
    if (std::isnan(key))
        return -2;
    const double position = (key - grid.lower) / (grid.upper - grid.lower) * grid.columns;
    if (position < 0)
        return -1;
    if (position >= grid.columns)
        return grid.columns;
    return int(position);
}

std::vector<drawn_point> short_joins(const std::vector<drawn_point> &drawn, const column_grid &grid)
{
    std::vector<drawn_point> ordered(drawn);
    const size_t n = ordered.size();
    for (size_t k = 1; k + 1 < n; ++k) {
        const int c = column_of(grid, ordered[k].key);
        if (c < 0 || c >= grid.columns || column_of(grid, ordered[k + 1].key) != c)
            continue;
        const bool alone_in_column = column_of(grid, ordered[k - 1].key) != c &&
                                     (k + 2 >= n || column_of(grid, ordered[k + 2].key) != c);
        const double arriving = ordered[k - 1].value;
        if (alone_in_column && std::fabs(ordered[k + 1].value - arriving) < std::fabs(ordered[k].value - arriving))
            std::swap(ordered[k], ordered[k + 1]);
        ++k;   // the pair is placed; the next column starts after it
    }
    return ordered;
}

void column_reduction::changed_from(int index)
{
    index = std::max(0, index);
    valid_ = std::min(valid_, index);
    first_descent_ = std::min(first_descent_, valid_);
    runs_redo_from_ = std::min(runs_redo_from_, index);
    columns_changed_from_ = std::min(columns_changed_from_, index);
}

namespace {
bool same_grid(const column_grid &a, const column_grid &b)
{
    return a.lower == b.lower && a.upper == b.upper && a.columns == b.columns;
}
}  // namespace

void column_reduction::update(const strided_points &pts)
{
    const int n = pts.count;
    // Points removed without notice: what is left of the summaries is still right.
    changed_from(std::min(valid_, n));
    if (valid_ == n)
        return;
    if (first_descent_ == valid_) {
        int i = std::max(valid_, 1);
        while (i < n && pts.key(i) >= pts.key(i - 1))
            ++i;
        first_descent_ = i;
    }

    const int blocks = (n + block - 1) / block;
    low_.resize(size_t(blocks));
    high_.resize(size_t(blocks));
    for (int b = valid_ / block; b < blocks; ++b) {
        const int from = b * block, to = std::min(n, from + block);
        int lo = from, hi = from;
        for (int i = from + 1; i < to; ++i) {
            const double v = pts.value(i);
            if (v < pts.value(lo))
                lo = i;
            if (v > pts.value(hi))
                hi = i;
        }
        low_[size_t(b)] = lo;
        high_[size_t(b)] = hi;
    }
    const int per_super = super_block / block;
    const int supers = (blocks + per_super - 1) / per_super;
    super_low_.resize(size_t(supers));
    super_high_.resize(size_t(supers));
    for (int s = valid_ / super_block; s < supers; ++s) {
        const int from = s * per_super, to = std::min(blocks, from + per_super);
        int lo = low_[size_t(from)], hi = high_[size_t(from)];
        for (int b = from + 1; b < to; ++b) {
            if (pts.value(low_[size_t(b)]) < pts.value(lo))
                lo = low_[size_t(b)];
            if (pts.value(high_[size_t(b)]) > pts.value(hi))
                hi = high_[size_t(b)];
        }
        super_low_[size_t(s)] = lo;
        super_high_[size_t(s)] = hi;
    }
    valid_ = n;
}

int column_reduction::arg_extreme(const strided_points &pts, int from, int to, bool highest) const
{
    int best = from;
    const auto consider = [&](int i) {
        if (highest ? pts.value(i) > pts.value(best) : pts.value(i) < pts.value(best))
            best = i;
    };
    const std::vector<int> &blocks = highest ? high_ : low_;
    const std::vector<int> &supers = highest ? super_high_ : super_low_;
    int i = from;
    while (i < to && i % block != 0)
        consider(i++);
    while (i + block <= to && i % super_block != 0) {
        consider(blocks[size_t(i / block)]);
        i += block;
    }
    while (i + super_block <= to) {
        consider(supers[size_t(i / super_block)]);
        i += super_block;
    }
    while (i + block <= to) {
        consider(blocks[size_t(i / block)]);
        i += block;
    }
    while (i < to)
        consider(i++);
    return best;
}

void column_reduction::emit_run(const strided_points &pts, int from, int to, std::vector<int> &out,
                                bool with_ends) const
{
    if (to - from <= 4) {
        for (int i = from; i < to; ++i)
            out.push_back(i);
        return;
    }
    int picked[4] = {arg_extreme(pts, from, to, false), arg_extreme(pts, from, to, true), from, to - 1};
    const int count = with_ends ? 4 : 2;
    std::sort(picked, picked + count);
    int *last = std::unique(picked, picked + count);
    out.insert(out.end(), picked, last);
}

void column_reduction::drawn_ascending(const strided_points &pts, const column_grid &grid)
{
    const int n = pts.count;
    // First index in [lo, hi) whose column is above `c`; columns never fall along ascending keys.
    const auto first_after = [&](int lo, int hi, int c) {
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (column_of(grid, pts.key(mid)) > c)
                hi = mid;
            else
                lo = mid + 1;
        }
        return lo;
    };
    const int begin = first_after(0, n, -1);
    const int end = first_after(begin, n, grid.columns - 1);

    // Columns before the one holding the last unchanged point keep their points: later points, changed or
    // added, have keys at least as large. That column and the ones after it are found again.
    const int changed = std::min(columns_changed_from_, n);
    if (!same_grid(grid, columns_grid_) || columns_.empty() || columns_.front().from != begin || changed <= begin) {
        columns_grid_ = grid;
        columns_.clear();
    }
    while (!columns_.empty() && columns_.back().to >= changed)
        columns_.pop_back();
    if (!columns_.empty() && columns_.back().to > end)
        columns_.clear();   // the window's right edge moved inside what was kept
    columns_changed_from_ = INT_MAX;

    std::vector<int> picked;
    for (int i = columns_.empty() ? begin : columns_.back().to; i < end;) {
        const int next = first_after(i, end, column_of(grid, pts.key(i)));
        picked.clear();
        // A column of a time-keyed curve is one stroke from its lowest to its highest point; its first and last
        // point lie on that stroke, so leaving them out changes only the one-pixel step to the next column and
        // halves what a dense view paints.
        emit_run(pts, i, next, picked, false);
        column_points c;
        c.from = i;
        c.to = next;
        c.count = int(picked.size());
        for (int k = 0; k < c.count; ++k)
            c.picked[k] = {picked[size_t(k)], pts.key(picked[size_t(k)]), pts.value(picked[size_t(k)])};
        columns_.push_back(c);
        i = next;
    }

    // The nearest point outside on either side keeps the line running to the plot's edges.
    if (begin > 0)
        out_.push_back({begin - 1, pts.key(begin - 1), pts.value(begin - 1)});
    for (const column_points &c : columns_)
        out_.insert(out_.end(), c.picked, c.picked + c.count);
    if (end < n)
        out_.push_back({end, pts.key(end), pts.value(end)});
}

void column_reduction::drawn_by_runs(const strided_points &pts, const column_grid &grid)
{
    const int n = pts.count;
    if (grid.lower != runs_grid_.lower || grid.upper != runs_grid_.upper || grid.columns != runs_grid_.columns) {
        runs_grid_ = grid;
        runs_drawn_.clear();
        runs_scanned_ = 0;
    }
    int start = std::min({runs_scanned_, runs_redo_from_, n});
    while (!runs_drawn_.empty() && runs_drawn_.back() >= start)
        runs_drawn_.pop_back();
    // The last run kept may go on into the points from `start`: take it up again from its first point, which
    // is always among the drawn ones. Runs are maximal, so the one before it lies in another column.
    if (!runs_drawn_.empty()) {
        const int c = column_of(grid, pts.key(runs_drawn_.back()));
        while (!runs_drawn_.empty() && column_of(grid, pts.key(runs_drawn_.back())) == c) {
            start = runs_drawn_.back();
            runs_drawn_.pop_back();
        }
    }
    for (int i = start; i < n;) {
        const int c = column_of(grid, pts.key(i));
        int next = i + 1;
        while (next < n && column_of(grid, pts.key(next)) == c)
            ++next;
        emit_run(pts, i, next, runs_drawn_, true);
        i = next;
    }
    runs_scanned_ = n;
    runs_redo_from_ = INT_MAX;
}

const std::vector<drawn_point> &column_reduction::drawn(const strided_points &pts, const column_grid &grid)
{
    out_.clear();
    if (keys_ascending() && grid.upper > grid.lower && grid.columns >= 1) {
        drawn_ascending(pts, grid);
        return out_;
    }
    if (grid.upper > grid.lower && grid.columns >= 1) {
        drawn_by_runs(pts, grid);
        for (int i : runs_drawn_)
            out_.push_back({i, pts.key(i), pts.value(i)});
        return out_;
    }
    for (int i = 0; i < pts.count; ++i)
        out_.push_back({i, pts.key(i), pts.value(i)});
    return out_;
}

void column_reduction::release_result()
{
    if (out_.size() > 65536) {
        out_.clear();
        out_.shrink_to_fit();
    }
}
