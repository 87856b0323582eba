// How an instrument id is shown: the model prefix and the id in at least two digits.
#pragma once

#include <QString>
#include <cstdint>

// "RZ410-K26050" + id for ids 0..9, "RZ410-K2605" + id otherwise.
QString device_display_name(uint8_t id);
