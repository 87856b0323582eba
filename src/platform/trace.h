// The program's debug traces: off unless asked for, e.g. QT_LOGGING_RULES="rz410.trace.debug=true".
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(rz410_trace)
