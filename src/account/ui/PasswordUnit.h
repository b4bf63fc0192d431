#pragma once

#include <QDialog>

#include <optional>

class QLineEdit;

// The access password asked at start.
class TPswForm : public QDialog {
    Q_OBJECT
public:
    explicit TPswForm(QWidget* parent = nullptr);

    // Shows the dialog modally: the typed password, or nothing when the user gave up
    // ("Отмена", Escape, the close box).
    static std::optional<QString> ask(QWidget* parent = nullptr);

private:
    QLineEdit* m_passwordEdit = nullptr;
};
