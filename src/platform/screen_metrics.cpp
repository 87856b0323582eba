// Screen metrics from QScreen, in place of the Windows device-context query.
#include "platform/screen_metrics.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {
double horizontal_density_ratio()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() / 96.0 : 1.0;
}
}  // namespace platform
