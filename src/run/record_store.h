// The fixed array of experiment records and the count of those in use; list row n is record n.
#pragma once

#include <array>
#include <cstdint>

#include "plot/curve.h"
#include "plot/record_moves.h"

class record_store {
public:
    static constexpr int capacity = max_experiments;

    curve &operator[](int index) { return records_.at(size_t(index)); }
    const curve &operator[](int index) const { return records_.at(size_t(index)); }

    // Number of records in use; the newest is at experiment_count() - 1.
    uint8_t experiment_count() const { return count_; }
    bool full() const { return count_ >= capacity; }

    // Takes the next free record for a new experiment and returns its index, or -1 when all 255 are in use
    // (nothing changes then). The record comes back reset, its curves kept.
    int take_next();

    // Lowers the count (deletion, clearing the list); the records past it are reset. A count above the
    // current one is refused: records are only taken through take_next.
    bool shrink_to(int count);

    auto begin() { return records_.begin(); }
    auto end() { return records_.end(); }

private:
    std::array<curve, capacity> records_{};
    uint8_t count_ = 0;
};
