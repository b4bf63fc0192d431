#include "Prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMutex>
#include <QPushButton>
#include <QQueue>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

struct TestSeam {
    QMutex mutex;
    bool enabled = false;
    QQueue<QVariant> answers;
    QList<Prompts::Asked> asked;
};

TestSeam& seam() {
    static TestSeam instance;
    return instance;
}

// In test mode: records the prompt and returns the queued answer (invalid when none).
std::optional<QVariant> answerForTest(const Prompts::Asked& asked) {
    TestSeam& s = seam();
    QMutexLocker lock(&s.mutex);
    if (!s.enabled)
        return std::nullopt;
    s.asked.append(asked);
    return s.answers.isEmpty() ? QVariant() : s.answers.dequeue();
}

// A window not on the screen yet (the main window during its creation) has no useful place
// to centre a box on: the box then goes to the screen's centre, as a parentless dialog does.
QWidget* boxParent(QWidget* parent) {
    return parent && parent->window()->isVisible() ? parent : nullptr;
}

// The first extension a name filter offers: "xlsx" of "Книга Excel (*.xlsx)"; empty for
// "Все файлы (*)".
QString extensionOf(const QString& nameFilter) {
    static const QRegularExpression kFirst(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    return kFirst.match(nameFilter).captured(1);
}

// The filter of a ";;" list that offers the suggested file's extension, else the first.
QString filterFor(const QString& suggested, const QString& filters) {
    const QStringList all = filters.split(QStringLiteral(";;"));
    const QString suffix = QFileInfo(suggested).suffix();
    for (const QString& filter : all) {
        if (!suffix.isEmpty() &&
            filter.contains(QStringLiteral("*.") + suffix, Qt::CaseInsensitive))
            return filter;
    }
    return all.value(0);
}

Prompts::FolderMemory& folderMemory() {
    static Prompts::FolderMemory memory;
    return memory;
}

void keepFolderOf(const QString& path) {
    const Prompts::FolderMemory& memory = folderMemory();
    if (!path.isEmpty() && memory.keep)
        memory.keep(QFileInfo(path).absolutePath());
}

} // namespace

namespace Prompts {

QMessageBox::StandardButton message(QWidget* parent, const QString& text, const QString& caption,
                                    QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) {
    parent = boxParent(parent);
    if (auto answer = answerForTest(
            {QStringLiteral("message"), caption, text, icon, buttons, {}, 0, parent})) {
        if (answer->isValid())
            return static_cast<QMessageBox::StandardButton>(answer->toInt());
        if (defaultButton != QMessageBox::NoButton)
            return defaultButton;
        return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel
               : buttons.testFlag(QMessageBox::No)   ? QMessageBox::No
                                                     : QMessageBox::Ok;
    }
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void error(QWidget* parent, const QString& text) {
    message(parent, text, QStringLiteral("Ошибка"), QMessageBox::Critical);
}

void information(QWidget* parent, const QString& text) {
    message(parent, text, QStringLiteral("Информация"), QMessageBox::Information);
}

bool confirm(QWidget* parent, const QString& text) {
    return message(parent, text, QStringLiteral("Подтверждение"), QMessageBox::Question,
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

QMessageBox::StandardButton
choose(QWidget* parent, const QString& text, const QString& caption, QMessageBox::Icon icon,
       const QList<std::pair<QMessageBox::StandardButton, QString>>& buttons,
       QMessageBox::StandardButton defaultButton) {
    parent = boxParent(parent);
    QMessageBox::StandardButtons flags;
    QStringList labels;
    for (const auto& [button, label] : buttons) {
        flags |= button;
        labels << label;
    }
    if (auto answer = answerForTest(
            {QStringLiteral("message"), caption, text, icon, flags, {}, 0, parent, labels}))
        return answer->isValid() ? static_cast<QMessageBox::StandardButton>(answer->toInt())
                                 : defaultButton;
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    for (const auto& [button, label] : buttons)
        box.addButton(button)->setText(label);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    if (QAbstractButton* cancel = box.button(QMessageBox::Cancel))
        box.setEscapeButton(cancel);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

std::optional<QString> inputText(QWidget* parent, const QString& caption, const QString& prompt,
                                 const QString& initial, int maxLength) {
    const int limit = maxLength > 0 ? qMax(maxLength, int(initial.size())) : 0;
    parent = boxParent(parent);
    if (auto answer = answerForTest({QStringLiteral("input"),
                                     caption,
                                     prompt,
                                     QMessageBox::NoIcon,
                                     {},
                                     initial,
                                     maxLength,
                                     parent})) {
        if (!answer->isValid())
            return std::nullopt;
        // The queued answer stands for what was typed: the box lets no more through.
        const QString typed = answer->toString();
        return limit > 0 ? typed.left(limit) : typed;
    }
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(initial);
    if (limit > 0) {
        if (auto* edit = dialog.findChild<QLineEdit*>())
            edit->setMaxLength(limit);
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString openFile(QWidget* parent, const QString& caption, const QString& folder,
                 const QString& filter) {
    if (auto answer = answerForTest(
            {QStringLiteral("file"), caption, filter, QMessageBox::NoIcon, {}, folder}))
        return answer->toString();
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString openFile(QWidget* parent, const QString& caption, const QString& filter) {
    const QString path = openFile(parent, caption, lastFolder(), filter);
    keepFolderOf(path);
    return path;
}

void rememberFoldersWith(FolderMemory memory) {
    folderMemory() = std::move(memory);
}

QString documentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

QString lastFolder() {
    const FolderMemory& memory = folderMemory();
    const QString last = memory.recall ? memory.recall() : QString();
    // A folder removed since, or on a disk no longer there, is no place to open in.
    return !last.isEmpty() && QDir(last).exists() ? last : documentsFolder();
}

QString saveFile(QWidget* parent, const QString& caption, const QString& suggested,
                 const QString& filter) {
    const QString start =
        QFileInfo(suggested).isAbsolute() ? suggested : QDir(lastFolder()).filePath(suggested);
    const QString startFilter = filterFor(start, filter);
    QString typed;
    QString chosenFilter = startFilter;
    if (auto answer = answerForTest(
            {QStringLiteral("save file"), caption, filter, QMessageBox::NoIcon, {}, start})) {
        const QStringList parts = answer->toStringList();
        typed = parts.value(0);
        if (parts.size() > 1)
            chosenFilter = parts[1];
    } else {
        QFileDialog dialog(parent, caption, QString(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.selectNameFilter(startFilter);
        dialog.selectFile(start);
        // The dialog itself adds the chosen filter's extension where it can, so that its own
        // "replace?" question asks about the file that will really be written.
        dialog.setDefaultSuffix(extensionOf(startFilter));
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog](const QString& chosen) { dialog.setDefaultSuffix(extensionOf(chosen)); });
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        typed = dialog.selectedFiles().first();
        chosenFilter = dialog.selectedNameFilter();
    }
    if (typed.isEmpty())
        return {};
    const QString path = withFilterExtension(typed, chosenFilter);
    keepFolderOf(path);
    return path;
}

QString withFilterExtension(const QString& path, const QString& nameFilter) {
    const QString extension = extensionOf(nameFilter);
    if (extension.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + extension;
}

void enableTestMode() {
    QMutexLocker lock(&seam().mutex);
    seam().enabled = true;
}

void queueAnswer(const QVariant& answer) {
    QMutexLocker lock(&seam().mutex);
    seam().answers.enqueue(answer);
}

QList<Asked> takeAsked() {
    QMutexLocker lock(&seam().mutex);
    return std::exchange(seam().asked, {});
}

} // namespace Prompts
