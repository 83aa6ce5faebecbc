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

/// Both of the above, once the window's widgets are in place.
void finishWindow(QWidget* window, const QString& reserved = {});

} // namespace wagetrove
