#include "SoakProfile.h"

#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "platform/Registry.h"
#include "shared/Settings.h"

namespace SoakProfile {

// Numbers ending in 00 and 99 reach the service's two failed delivery statuses, the others
// are delivered, so the history holds every colour.
QList<BookPlan> bookPlan() {
    return {
        {QStringLiteral("Коллеги"),
         {QStringLiteral("+79165550101"), QStringLiteral("+79165550102"),
          QStringLiteral("+79165550100"), QStringLiteral("+79165550199")}},
        {QStringLiteral("Дежурные"),
         {QStringLiteral("+79165550201"), QStringLiteral("+79165550202"),
          QStringLiteral("+79165550203")}},
    };
}

void seed(const QString& host, quint16 port, const QString& userKey) {
    Registry registry;
    Settings settings(registry);
    settings.runFirstStart({});
    settings.set(Setting::Host, host);
    settings.set(Setting::Port, qint32(port));
    settings.set(Setting::ShowSplash, false);
    settings.set(Setting::CanUseStatus, true);
    settings.setStoredUserKey(userKey);

    ContactBook book;
    int person = 0;
    for (const BookPlan& plan : bookPlan()) {
        const QModelIndex group = book.appendGroup({plan.caption, plan.caption});
        for (const QString& number : plan.numbers) {
            const QString name = QStringLiteral("Абонент %1").arg(++person);
            book.appendContact(group, {name, name, number, QStringLiteral("Varnelo"),
                                       QStringLiteral("Soak"), false, false});
        }
    }
    ContactStore(registry).SaveContacts(book);
}

} // namespace SoakProfile
