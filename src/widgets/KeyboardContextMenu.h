#pragma once

#include <QPoint>

class QWidget;

// The Menu key and Shift+F10 open the context menu of the focused control, as a right click
// on it would: at an item view's current item, at a text field's caret, else in the middle.
namespace KeyboardContextMenu {

// Watches the window's keys that none of its controls took.
void enable(QWidget* window);

// Where the keyboard's menu of `widget` opens, in the coordinates of the widget that takes
// the event (an item view's or a text field's viewport).
QWidget* receiverOf(QWidget* widget);
QPoint anchorIn(QWidget* widget);

} // namespace KeyboardContextMenu
