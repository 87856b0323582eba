// The faces the forms name, mapped to installed faces of the same metrics.
#pragma once

namespace program_fonts {

// The forms were laid out for "Calibri" and the narrow heading face "Agency FB". Carlito is Calibri's
// metric twin; Yanone Kaffeesatz is a condensed face close to Agency FB in width and height, so the
// headings keep their length. Call once, after the application object exists and before any window.
void install();

} // namespace program_fonts
