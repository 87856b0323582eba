// Screen metrics the run screen reports: the horizontal pixel density relative to 96 dpi.
#pragma once

namespace platform {
// Logical horizontal dots per inch of the primary screen divided by 96 (1.0 when no screen is known).
double horizontal_density_ratio();
}
