#pragma once

#include <QString>

// One login: asks the service for the user's information and shows the outcome through
// MainWindowLink::current() — the status text, a balloon, a sound, the retry timer and, for
// a key the service does not know, the registration dialog. Never throws. A refresh whose
// thread is asked to stop meanwhile ends without showing anything.
void RefreshUserInfo();

// An optional "-" (when more follows), then at least one character, each a digit, "," or ".".
bool IsNumberText(const QString& text);
