#pragma once

#include "contacts/PhoneNumbersModule.h"

#include <QString>

#include <optional>

// Phone numbers brought to the international form by the phone number rules of the module,
// which is loaded on first use and kept for the run. Numbers without a country code are
// read as dialled in Russia.
class PhoneNumbers {
public:
    // The loaded rules; nullptr when the module cannot be loaded (`error` says why).
    static const PhoneNumbers* get(QString* error = nullptr);

    // "+79161234567" for "8 (916) 123-45-67", "9161234567" or "+7 916 123 45 67";
    // nothing when the text holds no valid number.
    std::optional<QString> international(const QString& text) const;

private:
    explicit PhoneNumbers(InternationalNumberFunction function) : m_function(function) {}

    InternationalNumberFunction m_function;
};
