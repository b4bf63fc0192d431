#pragma once

#include <QString>

// The sender the service uses when a contact names none: its own site. The send window puts
// it in for an empty sender, and editing a contact resets the contact's sender to it.
inline const QString kDefaultSender = QStringLiteral("varnelo.ru");
