// Resetting an experiment record and moving one into another's place, as both screens' lists do when rows go.
#pragma once

#include "plot/curve.h"

// A record returned to the state of one not in use. Its four curves stay attached: they belong to the plot.
void reset_record(curve &record);

// Every field of `from` into `to`, the points changing hands with their data containers (no point is copied);
// each record keeps its own curve objects. `from`'s curves are left with `to`'s old points, to be refilled by
// a later move or emptied when its place is freed.
void move_record_into(curve &to, curve &from);
