#pragma once

#include "contacts/BookImport.h"
#include "widgets/SkinnedHeader.h"

#include <QDialog>

class ImportRowModel;
class PhoneNumbers;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

// What an import from a file would do to the book, shown before anything changes: every row
// of the file as it will be stored and what becomes of it, the counts, the group for contacts
// whose file names none, and whether a card's further numbers become contacts of their own.
// Accepting leaves the plan to carry out.
class ImportContactsDialog : public QDialog {
    Q_OBJECT

public:
    static inline const QString kTitle = QStringLiteral("Импорт контактов");

    ImportContactsDialog(const QString& fileName, ImportedContacts rows, QList<BookGroup> book,
                         const PhoneNumbers& numbers, QWidget* parent = nullptr);

    const BookImport::Plan& plan() const { return m_plan; }

    QComboBox* groupBox() const { return m_groupBox; }
    QCheckBox* allNumbersBox() const { return m_allNumbersBox; }
    QLabel* countsLabel() const { return m_countsLabel; }
    QTableView* rowsView() const { return m_rowsView; }
    QPushButton* importButton() const { return m_importButton; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls(const QString& fileName);
    void dressInSkin();
    void replan();

    SkinnedHeader m_header;
    QLabel* m_fileLabel = nullptr;
    QComboBox* m_groupBox = nullptr;
    QCheckBox* m_allNumbersBox = nullptr;
    QLabel* m_countsLabel = nullptr;
    QTableView* m_rowsView = nullptr;
    ImportRowModel* m_rowModel = nullptr;
    QPushButton* m_importButton = nullptr;
    QPushButton* m_cancelButton = nullptr;

    const ImportedContacts m_rows;
    const QList<BookGroup> m_book;
    const PhoneNumbers& m_numbers;
    BookImport::Plan m_plan;
};
