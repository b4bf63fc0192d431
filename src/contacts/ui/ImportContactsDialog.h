#pragma once

#include "contacts/BookImport.h"

#include <QDialog>

class PhoneNumbers;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

// What an import from a file would add to the book, shown before anything changes: the
// counts of new, duplicate and invalid rows and the invalid rows themselves, with the group
// for contacts whose file names none. Accepting leaves the plan to carry out.
class ImportContactsDialog : public QDialog {
    Q_OBJECT

public:
    static inline const QString kTitle = QStringLiteral("Импорт контактов");

    ImportContactsDialog(const QString& fileName, ImportedContacts rows, QList<BookGroup> book,
                         const PhoneNumbers& numbers, QWidget* parent = nullptr);

    const BookImport::Plan& plan() const { return m_plan; }

    QComboBox* groupBox() const { return m_groupBox; }
    QLabel* countsLabel() const { return m_countsLabel; }
    QListWidget* invalidList() const { return m_invalidList; }
    QPushButton* importButton() const { return m_importButton; }

private:
    QComboBox* m_groupBox = nullptr;
    QLabel* m_countsLabel = nullptr;
    QListWidget* m_invalidList = nullptr;
    QPushButton* m_importButton = nullptr;
    void replan();

    const ImportedContacts m_rows;
    const QList<BookGroup> m_book;
    const PhoneNumbers& m_numbers;
    BookImport::Plan m_plan;
};
