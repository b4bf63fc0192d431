#pragma once

class QObject;
class QAccessibleInterface;
class QString;

// The program's own top-level windows are plain widgets with the tool or frameless flags;
// without this a screen reader hears them as a "filler" rather than a window.
namespace WindowAccessible {

// Installs the factory once for the process.
void install();

// The factory: a frame for a top-level window made straight from QWidget.
QAccessibleInterface* create(const QString& className, QObject* object);

} // namespace WindowAccessible
