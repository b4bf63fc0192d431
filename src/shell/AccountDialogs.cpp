#include "AccountDialogs.h"

#include "SettingsDialogs.h"
#include "account/ui/PasswordUnit.h"
#include "account/ui/UnitReg.h"
#include "service/ServiceClient.h"

std::optional<QString> AccountDialogs::password() {
    return TPswForm::ask();
}

bool AccountDialogs::registration(const std::shared_ptr<ServiceClient>& client,
                                  const std::function<void()>& restored) {
    TRegForm::Hooks hooks;
    hooks.connectionSettings = [store = client->sharedStore()](QWidget* parent) {
        SettingsDialogs::connectionSettings(store, parent);
    };
    hooks.restored = restored;
    TRegForm form(client, std::move(hooks));
    form.exec();
    return !form.gaveUp();
}
