#pragma once

#include <QString>

class ServiceClient;

#include <functional>
#include <memory>
#include <optional>

// The account dialogs as the main window opens them (TMainForm::Dialogs).
namespace AccountDialogs {

// Dialogs::password: the access password typed at start; nothing when the user gave up.
std::optional<QString> password();

// Dialogs::registration: registration, with account restore and the connection settings
// reachable from it. False when the user gave up, which must end the program. An account
// restored calls `restored`, when given.
bool registration(const std::shared_ptr<ServiceClient>& client,
                  const std::function<void()>& restored = {});

} // namespace AccountDialogs
