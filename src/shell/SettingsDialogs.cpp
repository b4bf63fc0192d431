#include "SettingsDialogs.h"

#include "MainUnit.h"
#include "WindowEffects.h"
#include "account/ui/MakePswUnit.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceState.h"
#include "settings/ProgramRestart.h"
#include "settings/ui/SettingsUnit.h"

#include <QMetaObject>

namespace {

std::shared_ptr<Registry> storeOfTheRun() {
    std::shared_ptr<Registry> registry = ServiceState::SettingsStore();
    return registry ? registry : std::make_shared<Registry>();
}

} // namespace

void SettingsDialogs::settings(TMainForm* mainForm) {
    TSettingsForm::Context context;
    context.registry = mainForm->settingsStore() ? mainForm->settingsStore() : storeOfTheRun();
    context.effects = mainForm->windowEffects();
    context.changeAccessPassword = [](QWidget* parent) { ChangeAccessPassword(parent); };
    context.restart = [mainForm] {
        const QString title = mainForm->windowTitle();
        mainForm->setWindowTitle(QString());
        // Kept before the new copy starts, so that it reads them.
        mainForm->SaveContacts();
        mainForm->SaveWindowPosition();
        if (!ProgramRestart::startNewCopy()) {
            mainForm->setWindowTitle(title);
            Prompts::error(mainForm, QStringLiteral("Не удалось перезапустить программу. "
                                                    "Новая тема будет применена при "
                                                    "следующем запуске."));
            return false;
        }
        // Closing the main window ends the program once the dialog has gone.
        QMetaObject::invokeMethod(mainForm, &QWidget::close, Qt::QueuedConnection);
        return true;
    };
    TSettingsForm form(std::move(context));
    form.exec();
}

void SettingsDialogs::connectionSettings(QWidget* parent) {
    TSettingsForm::Context context;
    context.registry = storeOfTheRun();
    TSettingsForm form(std::move(context), parent);
    form.showConnectionPageOnly();
    form.exec();
}
