#pragma once

#include <QDialog>

class QDateEdit;
class QLabel;
class QPushButton;

// "Заказ детализации": a period of days and the confirmation of what the detail costs.
class TChooseTimeInterval : public QDialog {
    Q_OBJECT
public:
    explicit TChooseTimeInterval(double detailPrice, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QDateEdit* D1 = nullptr;
    QLabel* Label4 = nullptr;
    QDateEdit* D2 = nullptr;
    QPushButton* ButOK = nullptr;
    QPushButton* ButCancel = nullptr;

    // The user confirmed the cost of the period.
    bool confirmed() const { return m_confirmed; }
    // Days from D1 to D2, both counted; 0 or less for a period that ends before it starts.
    qint64 dayCount() const;

    void ButOKClick();
    void ButCancelClick();

private:
    void FormCreate();

    double m_detailPrice = 0;
    bool m_confirmed = false;
};

// The settings dialog's "Заказать детализацию": the cost per day in the window's first line,
// the period asked, and a plain "!!" once confirmed. No order reaches the service.
void orderMessageDetail(QWidget* parent, double detailPrice);
