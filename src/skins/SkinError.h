#pragma once

#include <QString>

// Why the active skin could not be loaded. The path is the skin file's full path, which every
// message about it names.
struct SkinError {
    enum class Kind { None, NotFound, BadFormat, BadVersion, ReadError };

    Kind kind = Kind::None;
    QString path;

    bool failed() const { return kind != Kind::None; }
};
