#include "StatusCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "history/HistoryFile.h"
#include "service/ServiceClient.h"
#include "service/StatusReply.h"

#include <QHash>

namespace StatusCommand {

namespace {

const QString kCommand = QStringLiteral("status");
const QString kHelp = QStringLiteral(
    "usage: varnelo-cli status [ID...]\n"
    "\n"
    "Asks the service for the delivery status of the messages with these ids (without ids:\n"
    "every record of the history still waiting for one) and prints ID<TAB>CODE per line.\n"
    "The history records with these ids get the new status, as in the history window.\n"
    "Exit 1 with \"Ошибка при подключении!\" on stderr when the service cannot be asked or\n"
    "its reply cannot be read; the history is then left as it was.");

} // namespace

int run(const QStringList& arguments, const CliContext::OpenStore& openStore) {
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        CliOutput::line(kHelp);
        return CliOutput::kOk;
    }
    QList<qint32> ids;
    for (const QString& argument : arguments) {
        bool ok = false;
        const qint32 id = argument.toInt(&ok);
        if (!ok || id <= 0)
            return CliOutput::usage(kCommand,
                                    QStringLiteral("'%1' is not a message id").arg(argument));
        ids.append(id);
    }

    CliContext context(openStore);
    const HistoryFile history;
    HistoryFile::Damage damage;
    QString error = history.ConvertHistory(&damage);
    if (damage)
        CliOutput::error(damage->message());
    if (error.isEmpty() && ids.isEmpty())
        ids = history.pendingIds(&error);
    if (!error.isEmpty()) {
        CliOutput::error(error);
        return CliOutput::kFailed;
    }
    if (ids.isEmpty())
        return CliOutput::kOk;

    std::optional<QList<quint8>> codes;
    try {
        codes = StatusReply::readCodes(context.client().QueryMessagesStatus(ids), ids.size());
    } catch (const std::exception& e) {
        CliOutput::error(QString::fromStdString(e.what()));
    }
    if (!codes) {
        CliOutput::error(QStringLiteral("Ошибка при подключении!"));
        return CliOutput::kFailed;
    }

    QHash<qint32, quint8> statuses;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        statuses.insert(ids[i], (*codes)[i]);
        CliOutput::record({QString::number(ids[i]), QString::number((*codes)[i])});
    }
    error = history.applyStatuses(statuses);
    if (!error.isEmpty()) {
        CliOutput::error(QStringLiteral("the history was not updated: %1").arg(error));
        return CliOutput::kFailed;
    }
    return CliOutput::kOk;
}

} // namespace StatusCommand
