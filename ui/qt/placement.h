#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QDialog;
class QMessageBox;
class QScreen;
class QWidget;

// Where the program's windows appear, and how wide its message boxes are.
namespace chrome {

// The top-left corner of a window of `size` centred on a screen's free area `available`; a
// window larger than the area keeps its top-left corner on it.
QPoint centredPlace(QSize size, const QRect& available);
// Moves `window` to the centre of the free area of `screen` (of the primary screen when it is null).
void placeOnScreen(QWidget& window, const QScreen* screen);
// Shrinks `window` where it is larger than the free area of `screen` (the primary screen when
// null), leaving room for a window manager's frame, and centres it there: wholly visible.
void fitOnScreen(QWidget& window, const QScreen* screen);
// The screen that holds `window` (its centre), else the primary screen.
QScreen* screenOf(const QWidget* window);
// Each time `box` shows, it opens centred on the screen that then holds `window` (see
// screenOf()), where Qt would put a box without a parent on the screen under the pointer.
void placeWhenShown(QDialog& box, const QWidget* window);

// A message box is as wide as its text needs, which leaves a short text's box too narrow for
// the window manager to show the title beside its icon and buttons: this widens it to fit.
void fitTitle(QMessageBox& box);
// The width fitTitle() gives a box with this title at the least.
int titleWidth(const QMessageBox& box);

} // namespace chrome
