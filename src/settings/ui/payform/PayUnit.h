#pragma once

#include <QDialog>
#include <QUrl>

class QLabel;
class QPushButton;
class QWebEngineView;

// "Оплата": the service's payment-instructions page in an embedded browser, with back and
// forward following the browser's own history.
class TPayForm : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString pageTitle READ pageTitle)
    Q_PROPERTY(QUrl pageUrl READ pageUrl)
public:
    TPayForm(const QString& address, QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QWebEngineView* WB = nullptr;
    QPushButton* But1 = nullptr; // back
    QPushButton* But2 = nullptr; // forward
    QPushButton* SpeedButton1 = nullptr;

    QString pageTitle() const;
    QUrl pageUrl() const;
    Q_INVOKABLE void navigate(const QUrl& url);

    void But1Click();
    void But2Click();
    void SpeedButton1Click();

signals:
    void pageLoaded(bool ok);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void WBCommandStateChange();

    QUrl m_address;
};
