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

    // Types the fields in, as the user would.
    void setFields(const BookEdits::ContactFields& fields);
    // The header's title, which tells adding from editing.
    QString title() const;
    // "ОК": adds the contact, or makes the edit, once the fields pass their checks.
    void confirm();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void dressInSkin();
    void fillGroups();
    void confirmAdd();
    void confirmEdit();

    ContactBook& m_book;
    QPersistentModelIndex m_selected;
    std::function<void(const BookEdit&)> m_saveContacts;
    Mode m_mode = Mode::Add;

    QLabel* m_banner = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_subtitle = nullptr;
    QLabel* m_hintIcon = nullptr;
    QLabel* m_instructions = nullptr;
    QLabel* m_groupLabel = nullptr;
    QComboBox* m_groupCombo = nullptr;
    QLabel* m_nameLabel = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QLabel* m_numberLabel = nullptr;
    QLineEdit* m_numberEdit = nullptr;
    QLabel* m_signLabel = nullptr;
    QLineEdit* m_signEdit = nullptr;
    QCheckBox* m_translitCheck = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
