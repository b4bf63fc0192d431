#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

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

// Where the file prompts open: the user's documents folder, or the home folder when the
// desktop has none.
QString documentsFolder();

// A file-open dialog; empty when cancelled.
QString openFile(QWidget* parent, const QString& caption, const QString& folder,
                 const QString& filter);

// A file-save dialog that asks before replacing a file; `suggested` is the path it opens
// with. Empty when cancelled.
QString saveFile(QWidget* parent, const QString& caption, const QString& suggested,
                 const QString& filter);

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
// or, with the queue empty, the default button / cancel.
void enableTestMode();
void queueAnswer(const QVariant& answer);
QList<Asked> takeAsked(); // what was asked since the last call, oldest first

} // namespace Prompts
