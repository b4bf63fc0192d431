#include "SkinColors.h"

#include <QFileInfo>
#include <QSettings>

namespace {

// INI names compare case-insensitively on Windows; QSettings compares them exactly.
QString findName(const QStringList& names, const QString& wanted) {
    for (const QString& name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    }
    return {};
}

} // namespace

std::optional<quint32> SkinColors::parse(const QString& text) {
    const QString value = text.trimmed();
    const bool hex = value.startsWith(QLatin1Char('$'));
    const QString digits = hex ? value.mid(1) : value;
    // toUInt would also take a sign, blanks or "0x"; only bare digits are a colour here.
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        const bool digit =
            (u >= '0' && u <= '9') || (hex && ((u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')));
        if (!digit)
            return std::nullopt;
    }
    bool ok = false;
    const qulonglong number = digits.toULongLong(&ok, hex ? 16 : 10);
    if (!ok || number > 0xFFFFFF)
        return std::nullopt;
    return quint32(number);
}

SkinColors SkinColors::fromConfig(const QString& path) {
    SkinColors colors;
    if (!QFileInfo(path).isFile())
        return colors;
    QSettings ini(path, QSettings::IniFormat);
    const QString section = findName(ini.childGroups(), QStringLiteral("Colors"));
    if (section.isEmpty())
        return colors;
    ini.beginGroup(section);
    const QStringList keys = ini.childKeys();
    const auto read = [&](const char* key, quint32& colour) {
        const QString name = findName(keys, QString::fromLatin1(key));
        if (name.isEmpty())
            return;
        // A value with a comma comes back as a list, which is no colour either.
        const QVariant value = ini.value(name);
        if (value.typeId() != QMetaType::QString)
            return;
        if (const auto parsed = parse(value.toString()))
            colour = *parsed;
    };
    read("Main", colors.Main);
    read("Other", colors.Other);
    read("InfoText", colors.InfoText);
    read("CaptionText", colors.CaptionText);
    return colors;
}
