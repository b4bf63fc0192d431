#pragma once

#include "widgets/SkinnedHeader.h"

#include <QDateTime>
#include <QDialog>

#include <functional>

class QDateEdit;
class QLabel;
class QPushButton;
class QTimeEdit;

// "В указанное время...": the local date and time a page's message is to go at, typed or
// picked from a calendar, with the moment in words as it changes. ОК takes only a moment the
// send journal may keep; otherwise the dialog says why and stays open.
class ScheduleDialog : public QDialog {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("Отправить в указанное время");

    // `now` gives the current moment (UTC); tests fix it.
    explicit ScheduleDialog(QWidget* parent = nullptr, std::function<QDateTime()> now = {});

    // The next whole local hour at least a minute after `nowUtc`.
    static QDateTime defaultMoment(const QDateTime& nowUtc);

    void setMoment(const QDateTime& local);
    // The accepted moment (UTC); invalid before ОК has taken one.
    QDateTime chosenUtc() const { return m_chosen; }

    void accept() override;

    QDateEdit* dateEdit() const { return m_date; }
    QTimeEdit* timeEdit() const { return m_time; }
    QLabel* wordsLabel() const { return m_words; }
    QLabel* errorLabel() const { return m_error; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QDateTime typedMoment() const;
    void showWords();

    std::function<QDateTime()> m_now;
    SkinnedHeader m_header;
    QDateEdit* m_date = nullptr;
    QTimeEdit* m_time = nullptr;
    QLabel* m_words = nullptr;
    QLabel* m_error = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QDateTime m_chosen;
};
