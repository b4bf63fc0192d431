#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// "О программе": the program's name and version, its developers and where to write.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    static QString supportEmail();
    static QString webSite(); // without "http://"

    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr; // support e-mail: opens the mail program
    QLabel* Label4 = nullptr; // web site: opens the browser
    QPushButton* SpeedButton1 = nullptr;

    void Label3Click();
    void Label4Click();
    void SpeedButton1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
};

// The main window's "О программе": the window, modal, freed when it closes.
void showAboutWindow(QWidget* parent);
