// Any store content under the book's key: the load never fails or drops a key, and what it
// saves loads back the same.
#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"

#include <QDir>

#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

class Input {
public:
    Input(const uint8_t* data, size_t size)
        : m_data(data)
        , m_size(size) {}
    bool atEnd() const { return m_pos >= m_size; }
    quint8 byte() { return atEnd() ? 0 : m_data[m_pos++]; }
    qint32 integer() {
        quint32 value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | byte();
        return qint32(value);
    }
    QString text() {
        QByteArray bytes;
        for (int length = byte() % 12; length > 0 && !atEnd(); --length)
            bytes.append(char(byte()));
        return Ansi::toUnicode(bytes);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

const QStringList kValueNames{QString(),
                              QStringLiteral("Sender"),
                              QStringLiteral("Number"),
                              QStringLiteral("Sign"),
                              QStringLiteral("Translit"),
                              QStringLiteral("Caption"),
                              QStringLiteral("tRANSLIT"),
                              QStringLiteral("caption")};

// Builds keys and values below Contacts as the bytes say.
void fill(Registry& registry, Input& in) {
    const QString book = ContactStore::kBookKey + QLatin1Char('\\');
    QStringList groups;
    QString last;
    while (!in.atEnd()) {
        switch (in.byte() % 5) {
        case 0: // a group, perhaps with a default value
            last = book + in.text();
            groups.append(last);
            registry.createKey(last);
            if (in.byte() & 1)
                registry.writeString(last, {}, in.text());
            break;
        case 1: // a contact of one of the groups
            if (groups.isEmpty())
                break;
            last = groups[in.byte() % groups.size()] + QLatin1Char('\\') + in.text();
            registry.createKey(last);
            if (in.byte() & 1)
                registry.writeString(last, {}, in.text());
            break;
        case 2: { // a value of the last key, string or integer
            if (last.isEmpty())
                break;
            const QString name = kValueNames[in.byte() % kValueNames.size()];
            if (in.byte() & 1)
                registry.writeInteger(last, name, in.integer());
            else
                registry.writeString(last, name, in.text());
            break;
        }
        case 3: // any path below the book, deeper levels included
            last = book + in.text();
            registry.createKey(last);
            break;
        default: // an integer where a position string belongs
            if (!last.isEmpty())
                registry.writeInteger(last, {}, in.integer());
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Registry registry(QStringLiteral(":memory:"));
    Input in(data, size);
    fill(registry, in);

    const QStringList groupKeys = registry.subkeys(ContactStore::kBookKey);
    int contactKeys = 0;
    for (const QString& group : groupKeys)
        contactKeys +=
            int(registry.subkeys(ContactStore::kBookKey + QLatin1Char('\\') + group).size());

    ContactStore store(registry, QDir::tempPath() + QStringLiteral("/no-such-folder/Contacts.dat"));
    ContactBook book;
    store.LoadContacts(book); // throws only on a failing store, which would end the run
    check(!store.loadFailed());
    check(book.groupCount() == groupKeys.size());
    check(book.contactCount() == contactKeys);
    check(ContactStore::readBook(registry) == book.groups());
    return 0;
}
