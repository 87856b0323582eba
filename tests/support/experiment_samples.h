// Experiment records as a finished run leaves them, for tests that write, read and open experiment files.
#pragma once

#include "files/experiment_data.h"

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <utility>

// A curve from (key, value) pairs, in order.
point_series series(std::initializer_list<std::pair<double, double>> points);

// The details lines a run gives method m, then the filter line, the date, the user "alice" and the device
// ("RZ410-K2605" and the id, two digits at least). Potentials run from -500 to 750 mV, the extremes
// method_record gives its curves.
QStringList run_details(method_index m, const QString &filter = QStringLiteral("Filter: 2Hz"), int device = 12);

// A finished run of method m: both electrodes (electrode 2 shorter), raw curves longer than the shown ones,
// a 2 Hz filter, device 123 for square wave and 12 otherwise.
experiment_data method_record(method_index m);
