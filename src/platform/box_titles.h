// Message boxes and small windows as wide as their titles need under a window manager, which draws the title
// beside the window's icon and buttons and cuts it short where the window is narrower.
#pragma once

#include <QFont>
#include <QString>

class QMessageBox;
class QWidget;

namespace platform {
// The face window titles are drawn in, as far as the platform tells; otherwise its default face, which is no
// smaller than the title faces of the usual desktops.
QFont window_title_font();

// Width (px) of a window whose title bar shows all of `title` in `title_font`, next to the icon and the buttons.
int title_width_needed(const QString &title, const QFont &title_font);

// Widens `box` so that its title is shown whole (a box wider already is left as it is). Safe to call again.
void fit_title(QMessageBox &box);

// Widens a window of fixed size laid out by hand so that its title is shown whole, its content moved along to
// stay in the middle (a window wide enough already is left as it is).
void fit_fixed_window_to_title(QWidget &window);

// From now on every message box the program shows is fitted to its title just before it appears. Call once,
// after the application object exists.
void fit_message_box_titles();
}  // namespace platform
