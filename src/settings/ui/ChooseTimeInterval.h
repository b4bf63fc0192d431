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

    // The first line says what a day costs: 0 until this is called.
    void showDetailPrice();

    QLabel* costLabel() const { return m_costLabel; }
    QLabel* warningLabel() const { return m_warningLabel; }
    QLabel* fromLabel() const { return m_fromLabel; }
    QLabel* toLabel() const { return m_toLabel; }
    QDateEdit* fromDate() const { return m_fromDate; }
    QDateEdit* toDate() const { return m_toDate; }
    QPushButton* okButton() const { return m_okButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }

    // The user confirmed the cost of the period.
    bool confirmed() const { return m_confirmed; }
    // Days from the first date to the second, both counted; 0 or less for a period that ends before
    // it starts.
    qint64 dayCount() const;

private:
    void FormCreate();
    void confirm();

    QLabel* m_costLabel = nullptr;
    QLabel* m_warningLabel = nullptr;
    QLabel* m_fromLabel = nullptr;
    QDateEdit* m_fromDate = nullptr;
    QLabel* m_toLabel = nullptr;
    QDateEdit* m_toDate = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;

    double m_detailPrice = 0;
    bool m_confirmed = false;
};

// The settings dialog's "Заказать детализацию": the cost per day in the window's first line,
// the period asked, and a plain "!!" once confirmed. No order reaches the service.
void orderMessageDetail(QWidget* parent, double detailPrice);
