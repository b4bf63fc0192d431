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

    QLabel* banner() const { return m_banner; }
    QLabel* picture() const { return m_picture; }
    QLabel* title() const { return m_title; }
    QLabel* versionLabel() const { return m_versionLabel; }
    QLabel* aboutLabel() const { return m_aboutLabel; }
    QLabel* supportLabel() const { return m_supportLabel; } // opens the mail program
    QLabel* siteLabel() const { return m_siteLabel; }       // opens the browser
    QPushButton* closeButton() const { return m_closeButton; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void writeToSupport();
    void openWebSite();

    QLabel* m_banner = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_versionLabel = nullptr;
    QLabel* m_aboutLabel = nullptr;
    QLabel* m_supportLabel = nullptr;
    QLabel* m_siteLabel = nullptr;
    QPushButton* m_closeButton = nullptr;
};

// The main window's "О программе": the window, modal, freed when it closes.
void showAboutWindow(QWidget* parent);
