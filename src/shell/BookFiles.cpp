#include "MainUnit.h"

#include "contacts/BookEdit.h"
#include "contacts/BookExport.h"
#include "contacts/BookImport.h"
#include "contacts/BookXlsx.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactFileReader.h"
#include "contacts/PhoneNumbers.h"
#include "contacts/ui/ImportContactsDialog.h"
#include "platform/SaveFile.h"
#include "platform/ui/Prompts.h"

#include <QFile>

// The contact book to and from the files of phones, address books and spreadsheets.

void TMainForm::ImportContactsClick() {
    const QString path = Prompts::openFile(
        this, ImportContactsDialog::kTitle,
        QStringLiteral("Контакты (*.vcf *.vcard *.csv *.txt);;vCard (*.vcf *.vcard);;"
                       "CSV (*.csv *.txt);;Все файлы (*)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Prompts::error(
            this, QStringLiteral("Не удалось открыть файл %1: %2").arg(path, file.errorString()));
        return;
    }
    std::optional<ImportedContacts> rows = ContactFileReader::read(file.readAll());
    if (!rows) {
        Prompts::error(this, QStringLiteral("В файле %1 не найдены контакты: это не vCard и "
                                            "не таблица CSV со столбцом телефона.")
                                 .arg(path));
        return;
    }
    QString moduleError;
    const PhoneNumbers* numbers = PhoneNumbers::get(&moduleError);
    if (!numbers) {
        Prompts::error(
            this,
            QStringLiteral("Не удалось загрузить правила телефонных номеров: %1").arg(moduleError));
        return;
    }
    ImportContactsDialog dialog(path, std::move(*rows), m_book->groups(), *numbers, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    BookImport::apply(*m_book, dialog.plan());
    SaveContacts(BookEdit::import(dialog.plan()));
}

void TMainForm::ExportContactsClick() {
    const QString path =
        Prompts::saveFile(this, QStringLiteral("Экспорт контактов"), QStringLiteral("Контакты.vcf"),
                          QStringLiteral("Книга Excel (*.xlsx);;vCard (*.vcf);;CSV (*.csv)"));
    if (path.isEmpty())
        return;
    const QList<BookGroup> groups = m_book->groups();
    QString error;
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        error = BookXlsx::write(path, groups);
    else if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        error =
            saveFileAtomically(path, BookExport::toSpreadsheetCsv(groups), FileAccess::Ordinary);
    else
        error = saveFileAtomically(path, BookExport::toVCard(groups), FileAccess::Ordinary);
    if (!error.isEmpty())
        Prompts::error(this, QStringLiteral("Не удалось сохранить файл %1: %2").arg(path, error));
}
