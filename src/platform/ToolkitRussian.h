#pragma once

#include <QLocale>

class QCoreApplication;

// Qt's own texts (standard buttons, context menus, file dialogs) in Russian, and a Russian
// locale for the widgets (month and day names, Monday first), whatever the desktop's locale.
// What the program formats for the service and its files names its locale itself and is not
// touched by this.
namespace ToolkitRussian {

// Called once, right after the application object exists. False when Qt's Russian
// translation is not installed; the widgets then keep Qt's English texts.
bool install(QCoreApplication& app);

// The desktop's locale, in which the program writes numbers, money and moments as it always
// has: the default locale as it was before install() gave the widgets Russian.
QLocale desktopLocale();

} // namespace ToolkitRussian
