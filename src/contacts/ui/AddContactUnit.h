#pragma once

#include "contacts/BookEdit.h"
#include "contacts/BookEdits.h"

#include <QDialog>
#include <QPersistentModelIndex>

#include <functional>

class ContactBook;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The contact editor: adds a contact (creating its group on the way), or, reshaped for the
// selected entry, edits a contact's fields or renames a group. Every confirmed change is
// saved at once through the save hook, which is handed the change. Frees itself when closed.
class TAddContactForm : public QDialog {
    Q_OBJECT

public:
    enum class Mode { Add, EditContact, EditGroup };

    static inline const QString kExampleNumber = QStringLiteral("+79161234567");
    static inline const QString kNoGroupText = QStringLiteral("Не указана группа!");
    static inline const QString kNoNameText = QStringLiteral("Не указано имя!");
    static inline const QString kNotInternationalText =
        QStringLiteral("Введенный номер не соответствует международному стандарту!\r\n"
                       "Возможно, отправка на этот номер будет невозможна! Прочтите подсказку.\r\n"
                       "Продолжить?");
    static inline const QString kErrorCaption = QStringLiteral("Ошибка");
    static inline const QString kWarningCaption = QStringLiteral("Warning");

    // Add mode, with the group of `selected` preselected.
    TAddContactForm(ContactBook& book, const QModelIndex& selected,
                    std::function<void(const BookEdit&)> saveContacts, QWidget* parent = nullptr);

    // Edit mode for `selected` (a contact or a group): relabels the dialog, hides what does
    // not apply, fills the fields and makes OK run the edit command.
    void prepareEdit();

    Mode mode() const { return m_mode; }
    BookEdits::ContactFields fields() const;

    // Opens the editor modally; nothing to edit without a selected entry.
    static void runAdd(ContactBook& book, const QModelIndex& selected,
                       const std::function<void(const BookEdit&)>& saveContacts, QWidget* parent);
    static void runEdit(ContactBook& book, const QModelIndex& selected,
                        const std::function<void(const BookEdit&)>& saveContacts, QWidget* parent);

    // Handlers: OK in add mode, OK in edit mode, Cancel.
    void ButOKClick();
    void ButADDClick();
    void ButCancelClick();

    QLabel* Image1 = nullptr;
    QLabel* Image3 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* Group = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* EditNameAbonent = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* EditNumber = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* SignEdit = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* ButOK = nullptr;
    QPushButton* ButCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void dressInSkin();
    void fillGroups();
    void confirmed();

    ContactBook& m_book;
    QPersistentModelIndex m_selected;
    std::function<void(const BookEdit&)> m_saveContacts;
    Mode m_mode = Mode::Add;
};
