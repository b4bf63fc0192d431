#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The 65-byte packed record of the old Contacts.dat file and of the book downloaded from the
// service: three short strings (a length byte and the characters, code page 1251), then the
// bytes IsGroup and Flag. The meaning of Flag depends on where the record comes from.
struct TContactEntry {
    static constexpr int kSize = 65;
    static constexpr int kNameCapacity = 30;
    static constexpr int kNumberCapacity = 15;
    static constexpr int kSignCapacity = 15;

    QString Name;
    QString Number;
    QString Sign;
    quint8 IsGroup = 0; // 0 is a contact row, anything else a group row
    quint8 Flag = 0;

    // Texts cut to the record's capacities.
    static TContactEntry make(const QString& name, const QString& number, const QString& sign,
                              bool isGroup, quint8 flag);
    // Reads one record of kSize bytes. A length byte above its field's capacity is clamped.
    static TContactEntry fromRecord(const char* record);
    QByteArray toRecord() const;

    bool isGroup() const { return IsGroup != 0; }
    bool operator==(const TContactEntry&) const = default;
};

using TContacts = QList<TContactEntry>;
