#pragma once

#include <QString>

#include <exception>

// What the user is told of an error that ended a piece of work where no caller was left to
// take it, such as a worker thread's: a failing settings store by its own sentence (which
// names the store, its file and what to do), anything else as an internal error with the
// error's own words after it.
namespace FailureText {

inline const QString kStoreFailed = QStringLiteral("Ошибка при обращении к настройкам программы");
inline const QString kInternalError = QStringLiteral("Внутренняя ошибка программы");

QString describe(const std::exception_ptr& error);

} // namespace FailureText
