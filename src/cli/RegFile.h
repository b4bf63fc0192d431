#pragma once

#include "platform/Registry.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Windows registry export files (.reg) of HKEY_CURRENT_USER\Software\Varnelo: REGEDIT4 in
// code page 1251, or version 5.00 in UTF-16LE (or UTF-8, as write() produces). String and
// dword values, hex(1) strings and hex(4) dwords; deletions of keys ("[-...]") and values
// ("=-") are honoured.
class RegFile {
public:
    static inline const QString kRoot = QStringLiteral("HKEY_CURRENT_USER\\Software\\Varnelo");

    struct Change {
        enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
        Kind kind = Kind::CreateKey;
        QString key; // below the root, "" for the root itself
        Registry::Value value;
    };

    // Reads a whole file. Nothing on a fault, with `error` naming the line; keys outside the
    // root and value types the store cannot hold are skipped with a warning.
    static std::optional<QList<Change>> parse(const QByteArray& file, QString* error,
                                              QStringList* warnings);
    // Applies the changes as one transaction. Throws RegistryError.
    static void apply(Registry& registry, const QList<Change>& changes);

    // The store's branch in version 5.00 syntax; values of other types are left out with a
    // warning.
    static QString write(const Registry::Branch& root, QStringList* warnings);
};
