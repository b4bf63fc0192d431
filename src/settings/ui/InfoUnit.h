#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

// "Информация": a text that the service sent to the user, read-only and scrollable.
class TInfoForm : public QDialog {
    Q_OBJECT
public:
    explicit TInfoForm(QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QPlainTextEdit* Memo = nullptr;

private:
    void FormCreate();
};

// The main window's notice from the service: a new window with the text, shown without
// waiting, freed when it closes.
TInfoForm* showInfoWindow(QWidget* parent, const QString& text);
