#include "Settings.h"

#include "StoredValueCipher.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace {

const QString kRoot; // the settings key itself
// What the dialog shows for an empty time format (not what the first start writes).
const QString kDialogTimeFormat = QStringLiteral("<DD.MM.YY HH:MM>");

QString nameOf(const char* name) {
    return QString::fromLatin1(name);
}

QByteArray storedForm(const QString& value, const char* cipherKey) {
    const QByteArray text = Ansi::fromUnicode(value);
    return cipherKey ? StoredValueCipher::EncipherValue(text, cipherKey) : text;
}

QString plainForm(const QByteArray& stored, const char* cipherKey) {
    if (!cipherKey)
        return Ansi::toUnicode(stored);
    const auto plain = StoredValueCipher::DecipherValue(stored, cipherKey);
    return plain ? Ansi::toUnicode(*plain) : QString();
}

} // namespace

std::optional<Setting::Entry> Setting::byName(const QString& name) {
    for (const Entry& entry : kTable) {
        if (Registry::sameName(name, nameOf(entry.name)))
            return entry;
    }
    return std::nullopt;
}

Settings::Settings(Registry& registry)
    : m_registry(registry) {
}

QString Settings::get(Setting::Str setting) const {
    return findText(setting).value_or(QString::fromLatin1(setting.fallback));
}

qint32 Settings::get(Setting::Int setting) const {
    return find(setting).value_or(setting.fallback);
}

bool Settings::get(Setting::Bool setting) const {
    return find(setting).value_or(setting.fallback);
}

std::optional<qint32> Settings::find(Setting::Int setting) const {
    return m_registry.readInteger(kRoot, nameOf(setting.name));
}

std::optional<bool> Settings::find(Setting::Bool setting) const {
    return m_registry.readBool(kRoot, nameOf(setting.name));
}

void Settings::set(Setting::Str setting, const QString& value) {
    setText(setting, value);
}

void Settings::set(Setting::Int setting, qint32 value) {
    m_registry.writeInteger(kRoot, nameOf(setting.name), value);
}

void Settings::set(Setting::Bool setting, bool value) {
    m_registry.writeBool(kRoot, nameOf(setting.name), value);
}

QString Settings::theme() const {
    const QString stored = m_registry.readString(kRoot, nameOf(Setting::Theme.name));
    return stored.isEmpty() ? QString::fromLatin1(Setting::Theme.fallback) : stored;
}

qint32 Settings::historyMessCount() const {
    const qint32 stored = find(Setting::HistoryMessCount).value_or(0);
    return stored > 0 ? stored : Setting::HistoryMessCount.fallback;
}

qint32 Settings::alphaBlendValue() const {
    return std::clamp(get(Setting::AlphaBlendValue), 0, 255);
}

qint32 Settings::hideTime() {
    if (const auto stored = find(Setting::HideTime))
        return *stored;
    set(Setting::HideTime, Setting::HideTime.fallback);
    return Setting::HideTime.fallback;
}

qint32 Settings::showTime() {
    if (const auto stored = find(Setting::ShowTime))
        return *stored;
    set(Setting::ShowTime, Setting::ShowTime.fallback);
    return Setting::ShowTime.fallback;
}

bool Settings::showSplash() {
    if (const auto stored = find(Setting::ShowSplash))
        return *stored;
    set(Setting::ShowSplash, Setting::ShowSplash.fallback);
    return Setting::ShowSplash.fallback;
}

bool Settings::checkTextLength() const {
    return !find(Setting::NotCheckTextLength).has_value();
}

QString Settings::timeFormatForDialog() const {
    const QString stored = get(Setting::TimeFormat);
    return stored.isEmpty() ? kDialogTimeFormat : stored;
}

std::optional<QString> Settings::findText(const Setting::Entry& setting) const {
    const auto stored = m_registry.readBytes(kRoot, nameOf(setting.name));
    if (!stored)
        return std::nullopt;
    return plainForm(*stored, setting.cipherKey);
}

void Settings::setText(const Setting::Entry& setting, const QString& value) {
    m_registry.writeBytes(kRoot, nameOf(setting.name), storedForm(value, setting.cipherKey));
}

QString Settings::storedUserKey() const {
    return m_registry.readString(kRoot, QString());
}

void Settings::setStoredUserKey(const QString& value) {
    m_registry.writeString(kRoot, QString(), value);
}

std::optional<Settings::ServerAddress> Settings::serverAddress() const {
    const auto port = find(Setting::Port);
    if (!port)
        return std::nullopt;
    return ServerAddress{get(Setting::Host), *port};
}

Settings::ServerAddress Settings::runFirstStart(const WindowPlace& place) {
    const std::pair<Setting::Int, qint32> placed[] = {
        {Setting::Left, place.left}, {Setting::Top, place.top}, {Setting::Height, place.height}};
    const auto numberOf = [&placed](const Setting::Entry& entry) {
        for (const auto& [setting, value] : placed) {
            if (std::string_view(setting.name) == entry.name)
                return value;
        }
        return entry.firstStartNumber;
    };

    Registry::Transaction batch(m_registry);
    for (const Setting::Entry& entry : Setting::kTable) {
        if (!entry.firstStart)
            continue;
        if (entry.type == Setting::Entry::Type::String)
            setText(entry, QString::fromLatin1(entry.firstStartText));
        else
            m_registry.writeInteger(kRoot, nameOf(entry.name), numberOf(entry));
    }
    batch.commit();
    return {QString::fromLatin1(Setting::Host.firstStartText), Setting::Port.fallback};
}
