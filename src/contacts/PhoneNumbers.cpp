#include "PhoneNumbers.h"

#include "platform/ModuleFiles.h"

#include <QByteArray>

namespace {

const char* const kDefaultRegion = "RU";
// Longer than any number the rules accept (15 digits and the plus).
constexpr int kLongestNumber = 32;

std::optional<InternationalNumberFunction> load(QString* error) {
    // Kept loaded for the rest of the run: the rules are read once and reused.
    void* function = ModuleFiles::load(QString::fromLatin1(kPhoneNumbersModuleFile),
                                       kInternationalNumberSymbol, error);
    if (!function)
        return std::nullopt;
    return reinterpret_cast<InternationalNumberFunction>(function);
}

} // namespace

const PhoneNumbers* PhoneNumbers::get(QString* error) {
    static QString loadError;
    static const std::optional<PhoneNumbers> numbers = [] {
        const std::optional<InternationalNumberFunction> function = load(&loadError);
        return function ? std::optional<PhoneNumbers>(PhoneNumbers(*function)) : std::nullopt;
    }();
    if (!numbers && error)
        *error = loadError;
    return numbers ? &*numbers : nullptr;
}

std::optional<QString> PhoneNumbers::international(const QString& text) const {
    const QByteArray utf8 = text.toUtf8();
    char out[kLongestNumber];
    const int length = m_function(utf8.constData(), kDefaultRegion, out, kLongestNumber);
    if (length <= 0)
        return std::nullopt;
    return QString::fromLatin1(out, length);
}
