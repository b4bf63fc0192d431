#include "StorageSteps.h"

#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "history/HistoryFile.h"
#include "messaging/TemplatesFile.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "platform/SaveFile.h"
#include "settings/VoucherFile.h"

#include <QFileInfo>

#include <algorithm>
#include <exception>

namespace StorageSteps {

namespace {

const QDateTime kVoucherMoment(QDate(2024, 2, 29), QTime(23, 5));

QString voucherAmount(qint64 n) {
    return QString::number(100 + n % 900);
}

// Steps that add to a list keep the newest `limit` of steps 1 to n.
qint64 firstKept(qint64 n, qint64 limit) {
    return std::max<qint64>(1, n - limit + 1);
}

} // namespace

QString kindName(Kind kind) {
    switch (kind) {
    case Kind::History:
        return QStringLiteral("history");
    case Kind::Templates:
        return QStringLiteral("templates");
    case Kind::Vouchers:
        return QStringLiteral("vouchers");
    case Kind::Contacts:
        return QStringLiteral("contacts");
    }
    return {};
}

std::optional<Kind> kindFromName(const QString& name) {
    for (const Kind kind : {Kind::History, Kind::Templates, Kind::Vouchers, Kind::Contacts}) {
        if (kindName(kind) == name)
            return kind;
    }
    return std::nullopt;
}

QString targetPath(Kind kind, const QString& folder) {
    switch (kind) {
    case Kind::History:
        return folder + QStringLiteral("/History.dat");
    case Kind::Templates:
        return folder + QStringLiteral("/Templates.dat");
    case Kind::Vouchers:
        return folder + QLatin1Char('/') + VoucherFile::fileName();
    case Kind::Contacts:
        return folder + QStringLiteral("/registry.db");
    }
    return {};
}

TMess historyRecord(qint64 n) {
    TMess record;
    record.Id = qint32(n);
    record.Reserved = quint32(n * 7);
    record.Date = 45000 + double(n / 100);
    record.Time = double(n % 86400) / 86400;
    record.Status = quint8(n % 3 == 0 ? 11 : TMess::kStatusSent);
    record.Number = QStringLiteral("+7900%1").arg(n % 10000000, 7, 10, QLatin1Char('0'));
    record.Sender = QStringLiteral("Отправитель%1").arg(n % 50);
    // Lengths that vary, so that a torn file cannot line up with a whole one by chance.
    record.Text = QStringLiteral("Сообщение %1 ").arg(n) + QString(int(n % 97), QLatin1Char('x'));
    record.Sign = n % 5 == 0 ? QString() : QStringLiteral("подпись %1").arg(n);
    return record;
}

QString templateLine(qint64 n) {
    return QStringLiteral("Заготовка %1||вторая строка ").arg(n) +
           QString(int(n % 41), QLatin1Char('-'));
}

QString voucherSerial(qint64 n) {
    return QStringLiteral("%1").arg(n, 32, 16, QLatin1Char('0')).toUpper();
}

QList<TMess> historyAfter(qint64 n) {
    QList<TMess> records;
    for (qint64 i = firstKept(n, kHistoryLimit); i <= n; ++i)
        records.append(historyRecord(i));
    return records;
}

QStringList templatesAfter(qint64 n) {
    QStringList lines;
    for (qint64 i = firstKept(n, kTemplatesLimit); i <= n; ++i)
        lines.append(templateLine(i));
    return lines;
}

QByteArray vouchersAfter(qint64 n) {
    QByteArray content;
    for (qint64 i = 1; i <= n; ++i) {
        content += Ansi::fromUnicode(
            VoucherFile::line(kVoucherMoment, voucherSerial(i), voucherAmount(i)));
        content += "\r\n";
    }
    return content;
}

// Every contact changes from one book to the next, and every other book has one group more,
// so that half a save shows.
QList<BookGroup> bookAfter(qint64 n) {
    QList<BookGroup> groups;
    if (n == 0)
        return groups;
    const int groupCount = kBookGroups + int(n % 2);
    for (int g = 0; g < groupCount; ++g) {
        BookGroup group;
        group.entry.caption = QStringLiteral("Группа %1").arg(g);
        group.entry.expanded = (g + n) % 2 == 0;
        const int contacts = g == kBookGroups ? 0 : kContactsPerGroup;
        group.entry.expanded = group.entry.expanded && contacts > 0;
        for (int c = 0; c < contacts; ++c) {
            BookEntry contact;
            contact.caption = QStringLiteral("Контакт %1-%2").arg(g).arg(c);
            contact.Name = contact.caption;
            contact.Number =
                QStringLiteral("+7901%1").arg(g * 1000 + c + n, 7, 10, QLatin1Char('0'));
            contact.Sender = QStringLiteral("Sender%1").arg(c % 7);
            contact.Sign = QStringLiteral("шаг %1").arg(n);
            contact.Translit = (c + n) % 3 == 0;
            group.contacts.append(contact);
        }
        groups.append(group);
    }
    return groups;
}

QString runStep(Kind kind, const QString& path, qint64 n) {
    switch (kind) {
    case Kind::History:
        return HistoryFile(path).AppendHistory(historyRecord(n), kHistoryLimit);
    case Kind::Templates: {
        const TemplatesFile file(path);
        const FileLock lock = file.lock();
        if (!lock.errorString().isEmpty())
            return lock.errorString();
        QString error;
        QStringList lines = file.read(&error);
        if (!error.isEmpty())
            return error;
        lines.append(templateLine(n));
        if (lines.size() > kTemplatesLimit)
            lines.remove(0, lines.size() - kTemplatesLimit);
        return file.write(lines);
    }
    case Kind::Vouchers:
        return VoucherFile::append(QFileInfo(path).absolutePath(), kVoucherMoment, voucherSerial(n),
                                   voucherAmount(n));
    case Kind::Contacts:
        try {
            Registry registry(path);
            ContactBook book;
            book.setGroups(bookAfter(n));
            ContactStore(registry, path + QStringLiteral(".no-legacy-file")).SaveContacts(book);
        } catch (const std::exception& e) {
            return QString::fromStdString(e.what());
        }
        return {};
    }
    return QStringLiteral("unknown kind");
}

QString writeState(Kind kind, const QString& path, qint64 n) {
    switch (kind) {
    case Kind::History:
        return HistoryFile(path).rewrite(historyAfter(n));
    case Kind::Templates:
        return TemplatesFile(path).write(templatesAfter(n));
    case Kind::Vouchers:
        return saveFileAtomically(path, vouchersAfter(n));
    case Kind::Contacts:
        return runStep(kind, path, n);
    }
    return QStringLiteral("unknown kind");
}

} // namespace StorageSteps
