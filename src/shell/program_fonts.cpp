// The faces the forms name, mapped to installed faces of the same metrics.
#include "shell/program_fonts.h"

#include <QApplication>
#include <QFont>
#include <QStringList>

void program_fonts::install()
{
    // Widgets that name no face use the application's font. Left to the platform it differs between
    // desktops (and offscreen it is 12 pt), which the fixed window sizes cannot absorb; a condensed
    // 8 pt face matches the dialog face the forms were drawn with.
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans Condensed"), 8));
    QFont::insertSubstitutions(QStringLiteral("Calibri"), {QStringLiteral("Carlito")});
    // Should the condensed face be missing, a condensed DejaVu is still narrower than the default face.
    QFont::insertSubstitutions(QStringLiteral("Agency FB"),
                               {QStringLiteral("Yanone Kaffeesatz"), QStringLiteral("DejaVu Sans Condensed")});
}
