// Instrument display names.
#include "instrument/device_names.h"

QString device_display_name(uint8_t id)
{
    return (id <= 9 ? QStringLiteral("RZ410-K26050") : QStringLiteral("RZ410-K2605")) + QString::number(id);
}
