// Method names shared by the writers, the readers and the save commands.
#include "files/experiment_data.h"

namespace {
const char *const names[method_count] = {
    "Cyclic Voltammetry",       "Diff. Pulse Voltammetry",  "Square Wave Voltammetry",
    "Linear Sweep Voltammetry", "Normal Pulse Voltammetry", "Chronoamperometry",
    "Amperometric",
};
}

QString method_name(method_index m)
{
    const int i = static_cast<int>(m);
    return (i >= 0 && i < method_count) ? QString::fromLatin1(names[i]) : QString();
}

std::optional<method_index> method_from_name(const QString &name)
{
    for (int i = 0; i < method_count; ++i) {
        if (name == QLatin1String(names[i]))
            return static_cast<method_index>(i);
    }
    return std::nullopt;
}
