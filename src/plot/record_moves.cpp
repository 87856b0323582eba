// Resetting an experiment record and moving one into another's place.
#include "plot/record_moves.h"

#include "plot/qcp_compat.h"

void reset_record(curve &record)
{
    curve fresh;
    fresh.ch1_curve = record.ch1_curve;
    fresh.ch2_curve = record.ch2_curve;
    fresh.ch1_raw_curve = record.ch1_raw_curve;
    fresh.ch2_raw_curve = record.ch2_raw_curve;
    record = fresh;
}

void move_record_into(curve &to, curve &from)
{
    qcp::swap_points(to.ch1_curve, from.ch1_curve);
    qcp::swap_points(to.ch2_curve, from.ch2_curve);
    qcp::swap_points(to.ch1_raw_curve, from.ch1_raw_curve);
    qcp::swap_points(to.ch2_raw_curve, from.ch2_raw_curve);
    curve moved = from;
    moved.ch1_curve = to.ch1_curve;
    moved.ch2_curve = to.ch2_curve;
    moved.ch1_raw_curve = to.ch1_raw_curve;
    moved.ch2_raw_curve = to.ch2_raw_curve;
    to = moved;
}
