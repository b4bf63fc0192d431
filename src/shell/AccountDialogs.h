#pragma once

#include <QString>

#include <functional>
#include <optional>

// The account dialogs as the main window opens them (TMainForm::Dialogs).
namespace AccountDialogs {

// Dialogs::password: the access password typed at start; nothing when the user gave up.
std::optional<QString> password();

// Dialogs::registration: registration, with account restore and the connection settings
// reachable from it. False when the user gave up, which must end the program. When the
// login thread asked for it (RegistrationOffered set) and an account was restored,
// `requestRefresh` is called so that the restored key is tried at once.
bool registration(const std::function<void()>& requestRefresh = {});

} // namespace AccountDialogs
