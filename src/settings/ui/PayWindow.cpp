#include "PayWindow.h"

#include "platform/ModuleFiles.h"
#include "service/ServiceClient.h"
#include "settings/PayAddress.h"
#include "settings/ui/payform/PayFormFactory.h"
#include "skins/ui/SkinUnit.h"
#include "widgets/SmallIcons.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QLabel>
#include <QPluginLoader>
#include <QPushButton>
#include <QUrl>

#include <unistd.h>

namespace {

const QString kModuleFile = QStringLiteral("varnelo_payform.so");

QString currentAddress(const ServiceClient& client) {
    const SkinColors& colors = SkinUnit::active().colorValues();
    const Settings::ServerAddress server = client.serverAddress();
    return payAddress(server.host, server.port, client.userKey(), colors.InfoText, colors.Main);
}

PayFormFactory* factory(QString* error) {
    static QPluginLoader* loader = nullptr;
    if (!loader) {
        const QString path = PayWindow::modulePath();
        if (path.isEmpty()) {
            if (error)
                *error = QStringLiteral("%1: not found").arg(kModuleFile);
            return nullptr;
        }
        // The browser engine will not start under the superuser with its own sandbox on
        // (a demo machine or container often runs everything as root).
        if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        loader = new QPluginLoader(path, qApp);
    }
    auto* instance = qobject_cast<PayFormFactory*>(loader->instance());
    if (!instance && error)
        *error = loader->errorString();
    return instance;
}

void dress(const PayFormParts& parts) {
    SkinUnit::active().dress(parts.form, {parts.banner,
                                          parts.picture,
                                          QStringLiteral("11.bmp"),
                                          {parts.title, parts.subtitle},
                                          {},
                                          {}});
    parts.closeButton->setIcon(skinGlyph(SkinGlyph::Close));
}

} // namespace

namespace PayWindow {

QString modulePath() {
    return ModuleFiles::path(kModuleFile);
}

QDialog* create(const ServiceClient& client, QWidget* parent, QString* error) {
    PayFormFactory* module = factory(error);
    if (!module)
        return nullptr;
    const PayFormParts parts = module->createPayForm(currentAddress(client), parent);
    dress(parts);
    return parts.form;
}

} // namespace PayWindow

void openPayWindow(const ServiceClient& client, QWidget* parent) {
    QDialog* form = PayWindow::create(client, parent);
    if (!form) {
        QDesktopServices::openUrl(QUrl(currentAddress(client), QUrl::TolerantMode));
        return;
    }
    form->exec();
    delete form;
}
