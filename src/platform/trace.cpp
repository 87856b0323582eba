// The program's debug traces: off unless asked for, so a terminal shows only warnings and errors.
#include "platform/trace.h"

Q_LOGGING_CATEGORY(rz410_trace, "rz410.trace", QtWarningMsg)
