#include "cli/BalanceCommand.h"
#include "cli/CliOutput.h"
#include "cli/ConfigCommand.h"
#include "cli/ContactsCommand.h"
#include "cli/HistoryCommand.h"
#include "cli/OutboxCommand.h"
#include "cli/SendCommand.h"
#include "cli/StatusCommand.h"
#include "platform/Registry.h"

#include <QCoreApplication>

#include <exception>
#include <functional>
#include <map>

namespace {

const QString kHelp = QStringLiteral(
    "usage: varnelo-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "The command-line front end of Varnelo, over the same settings, contact book and\n"
    "History.dat as the desktop program. Output is UTF-8, one record per line, fields\n"
    "separated by TAB, unless a command is asked for another format.\n"
    "\n"
    "commands:\n"
    "  config     read, write, import and export the settings store\n"
    "  balance    log in once and print the balance line\n"
    "  send       send a message to one number or a group\n"
    "  status     ask the delivery status of sent messages\n"
    "  history    print the history of sent messages, as TAB-separated lines or CSV\n"
    "  outbox     print the send journal; settle sends whose outcome is unknown; cancel\n"
    "             or send the messages scheduled with 'send --at'\n"
    "  contacts   print or export the contact book\n"
    "\n"
    "'varnelo-cli COMMAND --help' describes each command.\n"
    "exit codes: 0 done, 1 failed, 2 wrong command line, 3 account missing, unknown or not\n"
    "activated, 4 a send that costs more than the confirmation threshold, without --yes.");

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Varnelo"));

    const CliContext::OpenStore openStore = [] { return std::make_shared<Registry>(); };
    const std::map<QString, std::function<int(const QStringList&, const CliContext::OpenStore&)>>
        commands = {
            {QStringLiteral("config"), ConfigCommand::run},
            {QStringLiteral("balance"), BalanceCommand::run},
            {QStringLiteral("send"), SendCommand::run},
            {QStringLiteral("status"), StatusCommand::run},
            {QStringLiteral("history"), HistoryCommand::run},
            {QStringLiteral("contacts"), ContactsCommand::run},
            {QStringLiteral("outbox"), OutboxCommand::run},
        };

    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        CliOutput::error(QStringLiteral("no command given"));
        CliOutput::line(kHelp);
        return CliOutput::kUsage;
    }
    const QString name = arguments.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") ||
        name == QLatin1String("help")) {
        CliOutput::line(kHelp);
        return CliOutput::kOk;
    }
    const auto command = commands.find(name);
    if (command == commands.end()) {
        CliOutput::error(QStringLiteral("unknown command '%1'").arg(name));
        CliOutput::error(QStringLiteral("try 'varnelo-cli --help'"));
        return CliOutput::kUsage;
    }
    try {
        return command->second(arguments, openStore);
    } catch (const std::exception& e) {
        CliOutput::error(QString::fromStdString(e.what()));
    }
    return CliOutput::kFailed;
}
