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

    QStringList templates() const;
    void selectTemplate(int row);
    // "Изменить" and "Удалить" act on the selected template and wait for one.
    bool canChange() const;
    bool canDelete() const;

    // "Добавить", "Изменить", "Удалить".
    void addTemplate();
    void changeTemplate();
    void deleteTemplate();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void FormCreate();
    QListWidgetItem* selectedTemplate() const;
    void updateButtons();
    // Writes the list; on failure the user may try again or give the changes up.
    void FormClose();

    TemplatesFile m_file;
    QListWidget* m_list = nullptr;
    QToolButton* m_addButton = nullptr;
    QToolButton* m_changeButton = nullptr;
    QToolButton* m_deleteButton = nullptr;
    QToolButton* m_closeButton = nullptr;
};
