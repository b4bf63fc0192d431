#pragma once

#include <QString>
#include <QStringList>

// The private profile's starting content: the settings a user of the service has after the
// first start, pointed at the sandbox, and a small contact book of two groups.
namespace SoakProfile {

// The book's groups and the numbers of their contacts, in book order.
struct BookPlan {
    QString caption;
    QStringList numbers;
};
QList<BookPlan> bookPlan();

// Writes the settings store of the profile that the environment names.
void seed(const QString& host, quint16 port, const QString& userKey);

} // namespace SoakProfile
