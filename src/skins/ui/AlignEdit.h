#pragma once

#include <QLineEdit>

// A one-line edit whose text sits at the left, in the centre or at the right. New fields
// start centred.
class TAlignEdit : public QLineEdit {
    Q_OBJECT
public:
    enum TAlign { eaLeft = 0, eaCenter = 1, eaRight = 2 };

    explicit TAlignEdit(QWidget* parent = nullptr);

    TAlign Alignment() const { return m_alignment; }
    void setAlignment(TAlign alignment);

private:
    TAlign m_alignment = eaCenter;
};
