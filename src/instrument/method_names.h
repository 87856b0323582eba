// The seven method names as shown, stored and compared (case-sensitive), by method index.
#pragma once

#include <QString>
#include <optional>

#include "instrument/method_parameters.h"

inline QString method_name(method_index m)
{
    static const char *const names[method_count] = {
        "Cyclic Voltammetry",       "Diff. Pulse Voltammetry",  "Square Wave Voltammetry",
        "Linear Sweep Voltammetry", "Normal Pulse Voltammetry", "Chronoamperometry",
        "Amperometric",
    };
    const int i = static_cast<int>(m);
    return (i >= 0 && i < method_count) ? QString::fromLatin1(names[i]) : QString();
}

inline std::optional<method_index> method_from_name(const QString &name)
{
    for (int i = 0; i < method_count; ++i) {
        if (name == method_name(static_cast<method_index>(i)))
            return static_cast<method_index>(i);
    }
    return std::nullopt;
}
