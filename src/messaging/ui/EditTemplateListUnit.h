#pragma once

#include "messaging/TemplatesFile.h"

#include <QDialog>

class QListWidget;
class QListWidgetItem;
class QToolButton;

// The editor of the ready-made texts: add, change and delete them; closing saves the list
// to Templates.dat, always, in one step.
class TEditTemplateListForm : public QDialog {
    Q_OBJECT
public:
    explicit TEditTemplateListForm(QWidget* parent = nullptr,
                                   const QString& path = TemplatesFile::defaultPath());

    QListWidget* List = nullptr;
    QToolButton* SpeedButton3 = nullptr; // "Добавить"
    QToolButton* SpeedButton1 = nullptr; // "Изменить"
    QToolButton* SpeedButton2 = nullptr; // "Удалить"
    QToolButton* SpeedButton4 = nullptr; // "Закрыть"

    QStringList templates() const;

    void ListSelectItem();
    void SpeedButton3Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton4Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void FormCreate();
    QListWidgetItem* selectedTemplate() const;
    // Writes the list; on failure the user may try again or give the changes up.
    void FormClose();

    TemplatesFile m_file;
};
