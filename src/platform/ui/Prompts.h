#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

#include <optional>
#include <utility>

class QWidget;

// Every message box, input box and file dialog of the program goes through here, so that a
// test can queue the answers and read back exactly what was asked (texts are behaviour).
namespace Prompts {

// A modal message box; returns the button pressed. Boxes are centred on the parent's window,
// or on the screen while that window is not shown.
QMessageBox::StandardButton
message(QWidget* parent, const QString& text, const QString& caption, QMessageBox::Icon icon,
        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// The usual three: "Ошибка", "Информация", "Подтверждение" (Yes/No).
void error(QWidget* parent, const QString& text);
void information(QWidget* parent, const QString& text);
bool confirm(QWidget* parent, const QString& text);

// A message box whose buttons carry our own labels ("Отправить" rather than "Да"); Escape
// answers Cancel when the box has it.
QMessageBox::StandardButton
choose(QWidget* parent, const QString& text, const QString& caption, QMessageBox::Icon icon,
       const QList<std::pair<QMessageBox::StandardButton, QString>>& buttons,
       QMessageBox::StandardButton defaultButton);

// An input box; nothing when cancelled. With a `maxLength` above 0 no more can be typed
// than that, as with a Windows edit's limit, which never cuts the text it starts with: a
// longer `initial` text is shown whole, and the limit is then its length.
std::optional<QString> inputText(QWidget* parent, const QString& caption, const QString& prompt,
                                 const QString& initial = {}, int maxLength = 0);

// The folder the file prompts open in is remembered between runs by whoever installs a
// memory (the program keeps it in the settings store). Without one, or before a file was
// chosen, they open in the documents folder (the home folder when the desktop has none).
struct FolderMemory {
    std::function<QString()> recall;
    std::function<void(const QString&)> keep;
};
void rememberFoldersWith(FolderMemory memory);
QString documentsFolder();
QString lastFolder();

// A file-open dialog in the folder used last; empty when cancelled. The chosen file's folder
// becomes the one used last.
QString openFile(QWidget* parent, const QString& caption, const QString& filter);
// The same in a folder of the caller's (a sound next to the one chosen before), which is not
// remembered.
QString openFile(QWidget* parent, const QString& caption, const QString& folder,
                 const QString& filter);

// A file-save dialog that asks before replacing a file. A bare `suggested` name opens in the
// folder used last, a path where it says. A name typed without an extension gets the first
// one of the chosen filter. Empty when cancelled.
QString saveFile(QWidget* parent, const QString& caption, const QString& suggested,
                 const QString& filter);

// The path with the first extension of `nameFilter` ("Книга Excel (*.xlsx)") when its file
// name has none; as it is otherwise, or when the filter names no extension ("*").
QString withFilterExtension(const QString& path, const QString& nameFilter);

// --- test seam ---
struct Asked {
    QString kind; // "message", "input", "file", "save file" (the filter in `text`)
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QString initial;   // an input box's text, a save dialog's path, at opening
    int maxLength = 0; // an input box's typing limit; 0 for none
    // The window the box is centred on; none for the screen's centre.
    QPointer<QWidget> parent = nullptr;
    QStringList labels = {}; // a box's own button labels, in order
};

// From now on no dialog is shown: each prompt takes the next queued answer (a
// QMessageBox::StandardButton as int, a QString, or an invalid QVariant for "cancelled"),
// or, with the queue empty, the default button / cancel. A save dialog's answer may also be
// {path as typed, name filter chosen}; a bare path stands for the filter it opened with.
void enableTestMode();
void queueAnswer(const QVariant& answer);
QList<Asked> takeAsked(); // what was asked since the last call, oldest first

} // namespace Prompts
