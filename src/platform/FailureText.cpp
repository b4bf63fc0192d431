#include "FailureText.h"

#include "platform/Registry.h"

namespace {

QString withDetail(const QString& summary, const char* detail) {
    const QString text = QString::fromUtf8(detail).trimmed();
    return text.isEmpty() ? summary + QLatin1Char('!') : summary + QStringLiteral(": ") + text;
}

} // namespace

QString FailureText::describe(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const RegistryError& failure) {
        const QString sentence = QString::fromUtf8(failure.what()).trimmed();
        return sentence.isEmpty() ? kStoreFailed + QLatin1Char('!') : sentence;
    } catch (const std::exception& failure) {
        return withDetail(kInternalError, failure.what());
    } catch (...) {
        return kInternalError + QLatin1Char('!');
    }
}
