#include "HistoryFilter.h"

#include "contacts/ContactBook.h"
#include "platform/Ansi.h"

namespace {

constexpr int kNumberWidth = 15;
constexpr int kNameWidth = 30;

// The long time format without its time zone, which a clock on the desktop does not show either.
QString timeWithoutZone(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

// Every character, upper-cased, that the moment format can write: digits, its separators
// and whatever names of months, days and halves of the day it spells out.
QString momentCharacters(const QLocale& locale, const QString& format) {
    QString seen = QStringLiteral("0123456789");
    for (int month = 1; month <= 12; ++month) {
        for (int day = 1; day <= 7; ++day) {
            for (int hour : {1, 13}) {
                const QDateTime sample(QDate(2026, month, day), QTime(hour, 0));
                for (const QChar c : Ansi::toUpper(locale.toString(sample, format))) {
                    if (!seen.contains(c))
                        seen.append(c);
                }
            }
        }
    }
    return seen;
}

} // namespace

QHash<QString, QString> HistoryFilter::ContactNamesFrom(const ContactBook* book) {
    QHash<QString, QString> names;
    if (!book)
        return names;
    for (int g = 0; g < book->groupCount(); ++g) {
        for (const BookEntry& contact : book->group(g).contacts) {
            const QString number = contact.Number.left(kNumberWidth);
            if (!names.contains(number))
                names.insert(number, contact.Name.left(kNameWidth));
        }
    }
    return names;
}

HistoryFilter::HistoryFilter(const QString& numberFilter, const QString& filterText,
                             QHash<QString, QString> contactNames, const QLocale& locale)
    : m_numberFilter(numberFilter)
    , m_upperFilterText(Ansi::toUpper(filterText))
    , m_contactNames(std::move(contactNames))
    , m_locale(locale)
    , m_momentFormat(locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') +
                     timeWithoutZone(locale)) {
    if (!m_upperFilterText.isEmpty())
        m_mayEndInMoment =
            momentCharacters(m_locale, m_momentFormat).contains(m_upperFilterText.back());
}

QString HistoryFilter::momentText(const TMess& record) const {
    const QDateTime moment = record.moment();
    return moment.isValid() ? m_locale.toString(moment, m_momentFormat) : QString();
}

bool HistoryFilter::CompareItem(const TMess& record) const {
    const bool numberSet = !m_numberFilter.isEmpty();
    if (numberSet && record.Number != m_numberFilter)
        return false;
    if (m_upperFilterText.isEmpty())
        return true;

    // The fields joined without separators, so a filter may run across two of them; the order
    // differs with the number filter, as the window has always searched.
    const QString& first = numberSet ? record.Text : record.Sender;
    const QString& second = numberSet ? record.Sender : record.Text;
    const QString joined = nameOf(record.Number) + record.Number + first + second;
    if (Ansi::toUpper(joined).contains(m_upperFilterText))
        return true;
    if (!m_mayEndInMoment)
        return false;
    // Only the moment and the end of the fields before it can still hold it.
    const qsizetype reach = m_upperFilterText.size() - 1;
    const QString tail = joined.right(reach) + momentText(record);
    return Ansi::toUpper(tail).contains(m_upperFilterText);
}
