#pragma once

#include "shared/TContactEntry.h"

#include <QString>

#include <functional>
#include <memory>

class ContactBook;
class ServiceClient;
class QWidget;

// The copy of the contact book kept by the service: "Сохранить на сервере" uploads the whole
// book, "Загрузить с сервера" replaces the book by the service's copy. Both ask first and
// report the outcome; the request runs on a worker while the window keeps painting, its
// input blocked until the reply is in. Both return once the request is out: the outcome
// is reported, and a download fills `book`, when the reply comes, unless `owner` has gone.
namespace ServerContacts {

inline const QString kCaption = QStringLiteral("Сохранение");
inline const QString kUploadQuestion =
    QStringLiteral("Вы действительно хотите сохранить свой контакт лист на сервере?\r\n"
                   "Сохраненные ранее контакты будут уничтожены!");
inline const QString kUploaded = QStringLiteral("Данные успешно сохранены на сервере");
inline const QString kUploadFailed = QStringLiteral("Не удалось сохранить данные!");
inline const QString kDownloadQuestion =
    QStringLiteral("Вы действительно хотите загрузить свой контакт лист с сервера?\r\n"
                   "Ваш текущий контакт лист будет очищен!");
inline const QString kDownloadFailed =
    QStringLiteral("Не удается выполнить загрузку контактов с сервера!");
inline const QString kNothingStored =
    QStringLiteral("На сервере не найдено сохраненных контактов!");
inline const QString kDownloaded = QStringLiteral("Контакт лист успешно загружен!");
inline const QString kDoneCaption = QStringLiteral("Выполнено");
inline const QString kErrorCaption = QStringLiteral("Ошибка");

// Upload; `owner` owns the message boxes.
void upload(std::shared_ptr<ServiceClient> client, QWidget* owner, const ContactBook& book);
// Download into `book`, which `owner` keeps; `replaced` runs once the book is the service's.
// The new book is not saved here: it reaches the store at the next save.
void download(std::shared_ptr<ServiceClient> client, QWidget* owner, ContactBook& book,
              std::function<void()> replaced);

} // namespace ServerContacts
