// Device-change message classification.
#include "platform/device_change.h"

namespace platform {

device_change classify_device_message(unsigned message, uintptr_t wparam)
{
    if (message != device_change_message)
        return device_change::none;
    if (wparam == device_arrival_code)
        return device_change::arrival;
    if (wparam == device_removal_complete_code)
        return device_change::removal;
    return device_change::none;
}

}  // namespace platform
