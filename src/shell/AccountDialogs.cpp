#include "AccountDialogs.h"

#include "SettingsDialogs.h"
#include "account/ui/PasswordUnit.h"
#include "account/ui/UnitReg.h"
#include "service/ServiceState.h"

std::optional<QString> AccountDialogs::password() {
    return TPswForm::ask();
}

bool AccountDialogs::registration(const std::function<void()>& requestRefresh) {
    const bool askedByLogin = ServiceState::RegistrationOffered.get();
    TRegForm::Hooks hooks;
    hooks.connectionSettings = [](QWidget* parent) { SettingsDialogs::connectionSettings(parent); };
    hooks.restored = [askedByLogin, requestRefresh] {
        if (askedByLogin && requestRefresh)
            requestRefresh();
    };
    TRegForm form(std::move(hooks));
    form.exec();
    return !form.gaveUp();
}
