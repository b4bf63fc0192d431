#pragma once

#include "TMess.h"
#include "platform/ToolkitRussian.h"

#include <QHash>
#include <QLocale>
#include <QString>

class ContactBook;

// Which records the history window shows: those of one number or of all, narrowed by a free
// text that is looked for, without regard to letter case, in the name, number, sender, text and
// moment of each record.
class HistoryFilter {
public:
    // Contact names by number, from the book in tree order: a number (its first 15 characters)
    // takes the name (its first 30) of the first contact that has it. No book, no names.
    static QHash<QString, QString> ContactNamesFrom(const ContactBook* book);

    // The moment is written in the desktop's own date and time format, not in the widgets'
    // Russian one.
    HistoryFilter(const QString& numberFilter, const QString& filterText,
                  QHash<QString, QString> contactNames,
                  const QLocale& locale = ToolkitRussian::desktopLocale());

    // The contact's name for a record's number; empty when no contact has it.
    QString nameOf(const QString& number) const { return m_contactNames.value(number); }

    // The record passes the number filter and the free text.
    bool CompareItem(const TMess& record) const;

    // The moment as the free text sees it: the locale's short date and long time.
    QString momentText(const TMess& record) const;

private:
    QString m_numberFilter;
    QString m_upperFilterText;
    QHash<QString, QString> m_contactNames;
    QLocale m_locale;
    QString m_momentFormat;
    // The free text's last character can stand in a moment text; if not, no match can end
    // in the moment, and the moment need not be made.
    bool m_mayEndInMoment = false;
};
