#pragma once

#include <QWidget>

// The history window: lives for the run and is only hidden.
class THistoryForm : public QWidget {
    Q_OBJECT
public:
    explicit THistoryForm(QWidget* parent = nullptr);
};
