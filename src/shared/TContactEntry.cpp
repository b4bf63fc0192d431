#include "TContactEntry.h"

#include "platform/Ansi.h"

#include <algorithm>

namespace {

constexpr int kNameOffset = 0;
constexpr int kNumberOffset = 31;
constexpr int kSignOffset = 47;
constexpr int kIsGroupOffset = 63;
constexpr int kFlagOffset = 64;

QString readShortString(const char* field, int capacity) {
    const int length = std::min(int(static_cast<unsigned char>(field[0])), capacity);
    return Ansi::toUnicode(QByteArray(field + 1, length));
}

void writeShortString(char* field, int capacity, const QString& text) {
    const QByteArray bytes = Ansi::fromUnicode(text.left(capacity));
    field[0] = char(bytes.size());
    std::copy(bytes.begin(), bytes.end(), field + 1);
}

} // namespace

TContactEntry TContactEntry::make(const QString& name, const QString& number, const QString& sign,
                                  bool isGroup, quint8 flag) {
    return {name.left(kNameCapacity), number.left(kNumberCapacity), sign.left(kSignCapacity),
            quint8(isGroup ? 1 : 0), flag};
}

TContactEntry TContactEntry::fromRecord(const char* record) {
    return {readShortString(record + kNameOffset, kNameCapacity),
            readShortString(record + kNumberOffset, kNumberCapacity),
            readShortString(record + kSignOffset, kSignCapacity), quint8(record[kIsGroupOffset]),
            quint8(record[kFlagOffset])};
}

QByteArray TContactEntry::toRecord() const {
    QByteArray record(kSize, '\0');
    writeShortString(record.data() + kNameOffset, kNameCapacity, Name);
    writeShortString(record.data() + kNumberOffset, kNumberCapacity, Number);
    writeShortString(record.data() + kSignOffset, kSignCapacity, Sign);
    record[kIsGroupOffset] = char(IsGroup);
    record[kFlagOffset] = char(Flag);
    return record;
}
