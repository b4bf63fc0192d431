#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

// "Информация": a text that the service sent to the user, read-only and scrollable.
class TInfoForm : public QDialog {
    Q_OBJECT
public:
    explicit TInfoForm(QWidget* parent = nullptr);

    QLabel* title() const { return m_title; }
    QLabel* subtitle() const { return m_subtitle; }
    // The service's text, read-only.
    QPlainTextEdit* textView() const { return m_text; }

private:
    void FormCreate();

    QLabel* m_banner = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_subtitle = nullptr;
    QPlainTextEdit* m_text = nullptr;
};

// The main window's notice from the service: a new window with the text, shown without
// waiting, freed when it closes.
TInfoForm* showInfoWindow(QWidget* parent, const QString& text);
