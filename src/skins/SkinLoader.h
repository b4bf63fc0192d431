#pragma once

#include "SkinColors.h"
#include "SkinError.h"
#include "shared/Settings.h"

#include <QString>

class Registry;

// The start-up part of loading the active skin that needs no pictures: find the file named by
// the setting Theme, check and unpack it into the working folder, read its colours.
class SkinLoader {
public:
    struct Result {
        SkinError error;
        QString displayName;
        QString workFolder; // ends with "/"
        SkinColors colors;
    };

    static QString defaultTheme() { return QString::fromLatin1(Setting::Theme.fallback); }

    // Reads Theme from the store; a missing skin file resets Theme to the default so that the
    // next start works.
    static Result loadActive(Registry& store);

    // The same for a given skin file and working folder (an empty folder is one that could
    // not be made safe, and fails as a read error).
    static Result load(const QString& skinPath, const QString& workFolder);
};
