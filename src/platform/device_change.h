// Windows' device-change message, reduced to what discovery needs: something arrived, something left.
// Only the Windows build receives these (through the run screen's native event hook); elsewhere
// device_watcher polls the port list instead.
#pragma once

#include <cstdint>

namespace platform {

constexpr unsigned device_change_message = 0x219;
constexpr uintptr_t device_arrival_code = 0x8000;
constexpr uintptr_t device_removal_complete_code = 0x8004;

enum class device_change { none, arrival, removal };

device_change classify_device_message(unsigned message, uintptr_t wparam);

}  // namespace platform
