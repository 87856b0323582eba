// What Start decides before anything is sent: whether the run may start, the default experiment name,
// and the fields the new record takes from the form.
#pragma once

#include "instrument/method_parameters.h"

#include <QDate>
#include <QString>
#include <array>
#include <cstdint>

// "New_Experiment_" and the date as yyyyMMdd, e.g. New_Experiment_20190309.
QString default_experiment_name(const QDate &today);

// Why a run may not start; none when it may.
enum class start_refusal {
    none,
    records_full,            // all 255 records in use
    no_electrode,            // neither WE1 nor WE2 ticked: nothing would be recorded
    pulse_width_too_long,    // the instrument gets period - width, which would wrap to a huge wait
};

// Checked before a record, a list row or a frame is made. `records_full` is the record store's own
// full() test. The pulse check applies to the method being started only.
start_refusal check_run_start(bool records_full, method_index m, const method_pages &pages, bool we1, bool we2);

// Title and text of the critical box that refuses a start.
QString start_refusal_title(start_refusal r);
QString start_refusal_text(start_refusal r);

// The record fields Start fills from the form (the frame builder fills the rest afterwards).
struct start_record_fields {
    QString method;         // the Method box text
    uint16_t rate = 0;      // the method's rate figure (see record_rate)
    uint16_t cycles = 1;    // Repeat_No
    float filter_hz = 0;    // cut-off of the new record; 0 = raw data
    uint8_t ch1_shown = 0;
    uint8_t ch2_shown = 0;
};

// The rate figure a new record keeps: Scan_Rate, 1000 / dpv period, swv frequency, lsv rate,
// 1000 / npv period, chr_t1 or the amperometric run time; held to 16 bits (a period of 0 gives 0).
uint16_t record_rate(method_index m, const method_pages &pages);

// checked_filter_modes: which filter actions are checked, in mode order (automatic, raw, 0.5, 1, 2, 5, 10 Hz).
start_record_fields record_fields_at_start(method_index m, const method_pages &pages, bool we1, bool we2,
                                           const std::array<bool, 7> &checked_filter_modes);
