#pragma once

#include <QString>

class QRandomGenerator;

// The account key as it may appear in a web address: the first 8 and the last 10
// characters kept, everything between replaced by random hexadecimal digits. Keys shorter
// than 19 characters come back unchanged.
QString MaskUserKey(const QString& key);
QString MaskUserKey(const QString& key, QRandomGenerator& random);
