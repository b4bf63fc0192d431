#pragma once

#include "PayFormFactory.h"

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

    // The window and what the program dresses in the skin.
    PayFormParts parts();

    QString pageTitle() const;
    QUrl pageUrl() const;
    Q_INVOKABLE void navigate(const QUrl& url);

signals:
    void pageLoaded(bool ok);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Back and forward follow the browser's history.
    void followHistory();

    QUrl m_address;
    QLabel* m_banner = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_subtitle = nullptr;
    QWebEngineView* m_browser = nullptr;
    QPushButton* m_backButton = nullptr;
    QPushButton* m_forwardButton = nullptr;
    QPushButton* m_closeButton = nullptr;
};
