#pragma once

#include <memory>

class QWidget;
class Registry;
class TMainForm;

// The settings dialog as the rest of the program opens it.
namespace SettingsDialogs {

// The main window's settings button and tray command (TMainForm::Dialogs::settings): the
// whole dialog, previewing on the main window's opacity. A restart after a skin change saves
// the contact book and the window's place, starts the new copy and closes the main window,
// which ends this one.
void settings(TMainForm* mainForm);

// The registration dialog's "Настройка соединения": the page "Подключение" alone, on the
// settings store of the run.
void connectionSettings(std::shared_ptr<Registry> store, QWidget* parent);

} // namespace SettingsDialogs
