#pragma once

#include "shared/BookGroup.h"

#include <QList>
#include <QString>

// Book entries as the contact editor makes them (caption and Name alike), for tests.
namespace BookEntries {

BookEntry contact(const QString& name, const QString& number, const QString& sign = {},
                  const QString& sender = {}, bool translit = false);
BookEntry groupEntry(const QString& caption, bool expanded = false);
BookGroup group(const QString& caption, const QList<BookEntry>& contacts, bool expanded = false);

} // namespace BookEntries
