#pragma once

#include "shared/BookGroup.h"
#include "shell/MainUnit.h"

#include <QList>
#include <QString>

#include <memory>

// A fresh settings store holding an account key, a service address and a book, and the main
// window started on it without reaching the service, for tests.
namespace LoggedInProfile {

inline const QString kKey = QStringLiteral("0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF");

// The store alone, for the real program to start on (without its splash); a client on it.
std::shared_ptr<ServiceClient> write(const QList<BookGroup>& book, int port);

std::unique_ptr<TMainForm> start(std::shared_ptr<ServiceClient> client, const QString& instanceName,
                                 TMainForm::Dialogs dialogs = {});
std::unique_ptr<TMainForm> start(const QList<BookGroup>& book, int port,
                                 const QString& instanceName, TMainForm::Dialogs dialogs = {});

} // namespace LoggedInProfile
