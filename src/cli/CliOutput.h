#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the tool writes: UTF-8, one record per line, fields separated by TAB.
namespace CliOutput {

// Exit codes shared by every command.
enum ExitCode {
    kOk = 0,
    kFailed = 1,  // the operation did not succeed (service, file, store)
    kUsage = 2,   // the command line is wrong
    kAccount = 3, // the account is missing, unknown or not activated
    kConfirm = 4, // the send costs more than may go without asking, and nobody said yes
};

void line(const QString& text);
// One record; TAB, CR and LF inside a field become blanks so every record stays one line.
void record(const QStringList& fields);
// Bytes as they are, for output in another format than TAB-separated lines.
void raw(const QByteArray& bytes);
void error(const QString& text);
// A usage error with the command's help hint; returns kUsage.
int usage(const QString& command, const QString& text);

} // namespace CliOutput
