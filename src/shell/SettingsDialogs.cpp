#include "SettingsDialogs.h"

#include "MainUnit.h"
#include "WindowEffects.h"
#include "account/ui/MakePswUnit.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "settings/ProgramRestart.h"
#include "settings/ui/SettingsUnit.h"

#include <QMetaObject>

void SettingsDialogs::settings(TMainForm* mainForm) {
    TSettingsForm::Context context;
    const std::shared_ptr<ServiceClient> client = mainForm->serviceClient();
    context.registry = client->sharedStore();
    context.effects = mainForm->windowEffects();
    context.changeAccessPassword = [client](QWidget* parent) {
        ChangeAccessPassword(*client, parent);
    };
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

void SettingsDialogs::connectionSettings(std::shared_ptr<Registry> store, QWidget* parent) {
    TSettingsForm::Context context;
    context.registry = std::move(store);
    TSettingsForm form(std::move(context), parent);
    form.showConnectionPageOnly();
    form.exec();
}
