#pragma once

#include <QString>

// Cyrillic letters to Latin ones ("Щука" → "SCHuka"); everything else passes unchanged.
// Capitals give their whole Latin string in capitals.
QString Transliterate(const QString& text);
