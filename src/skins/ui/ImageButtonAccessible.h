#pragma once

#include <QAccessibleWidget>

class TImageButton;

// What a screen reader learns of a TImageButton: a push button named by its hint, the only
// words such a button has, that can be pressed.
class ImageButtonAccessible : public QAccessibleWidget {
public:
    explicit ImageButtonAccessible(TImageButton* button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

    // The factory for QAccessible::installFactory.
    static QAccessibleInterface* create(const QString& className, QObject* object);

private:
    TImageButton* button() const;
};
