#pragma once

#include <QString>

class QWidget;

namespace wagetrove {

/// Orders the window's Tab chain as the window reads, rows top to bottom and each row left to right, over the
/// widgets that take the focus by Tab. Hidden widgets follow the shown ones in their present order.
void setReadingTabOrder(QWidget* window);

/// Gives the window's push buttons Alt+letter accelerators in reading order, the captions unchanged on screen;
/// hidden buttons come last. `reserved` holds the letters the window's menus use. Run again after a caption
/// changes.
void assignAccelerators(QWidget* window, const QString& reserved = {});

/// Where the desktop program keeps its windows' sizes and its user guide. Until it is set (in tests, say) no size
/// is remembered and F1 does nothing.
struct WindowSetup
{
    QString sizesFile; ///< an ini file of each window's last size, by the window's object name
    QString userGuide; ///< the user guide F1 opens with the system's viewer
};
void configureWindows(const WindowSetup& setup);

/// Opens the user guide with the system's viewer; false when there is none to open or nothing could show it.
bool openUserGuide();

/// Everything above, once the window's widgets are in place, and: the window at least as wide as its title, its
/// size remembered from one showing (and run) to the next, and F1 for the user guide.
void finishWindow(QWidget* window, const QString& reserved = {});

} // namespace wagetrove
