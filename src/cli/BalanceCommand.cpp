#include "BalanceCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "service/LoginRoutine.h"
#include "service/ServiceClient.h"

namespace BalanceCommand {

namespace {

const QString kHelp = QStringLiteral(
    "usage: varnelo-cli balance\n"
    "\n"
    "Logs in once and prints the line the main window's status bar would show:\n"
    "\"Баланс: …\" or \"SMS: …\" (exit 0), \"Не активирован\" (exit 3) or\n"
    "\"Ошибка. Проверьте настройки.\" (exit 1). An account key that the service does not\n"
    "know, or no key at all, gives exit 3 with a message on stderr.\n"
    "A key protected by an access password is unlocked with the password in the\n"
    "environment variable VARNELO_ACCESS_PASSWORD.");

const QString kNotActivated = QStringLiteral("Не активирован");
const QString kCheckSettings = QStringLiteral("Ошибка. Проверьте настройки.");

} // namespace

int run(const QStringList& arguments, const CliContext::OpenStore& openStore) {
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        CliOutput::line(kHelp);
        return CliOutput::kOk;
    }
    if (!arguments.isEmpty())
        return CliOutput::usage(QStringLiteral("balance"),
                                QStringLiteral("balance takes no arguments"));
    CliContext context(openStore);
    QString error;
    if (!context.loadUserKey(&error)) {
        CliOutput::error(error);
        return CliOutput::kAccount;
    }
    if (context.client().userKey().isEmpty()) {
        CliOutput::error(QStringLiteral("no account key on this computer; register in Varnelo "
                                        "or set it with 'varnelo-cli config set @ KEY'"));
        return CliOutput::kAccount;
    }

    LoginRoutine login(context.sharedClient());
    const LoginOutcome outcome = login.login().value_or(LoginOutcome{});
    if (!outcome.notice.isEmpty())
        CliOutput::error(QStringLiteral("notice from the service: %1").arg(outcome.notice));
    if (outcome.offerRegistration) {
        CliOutput::error(QStringLiteral("the service does not know this account key"));
        return CliOutput::kAccount;
    }
    const QString status = outcome.statusText.value_or(QString());
    CliOutput::line(status);
    if (status == kNotActivated)
        return CliOutput::kAccount;
    if (status == kCheckSettings)
        return CliOutput::kFailed;
    return CliOutput::kOk;
}

} // namespace BalanceCommand
