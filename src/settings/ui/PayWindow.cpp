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

void dress(QDialog* form) {
    const auto label = [form](const char* name) {
        return form->findChild<QLabel*>(QLatin1String(name));
    };
    SkinUnit::active().dress(form, {label("Image1"),
                                    label("Image2"),
                                    QStringLiteral("11.bmp"),
                                    {label("Label6"), label("Label7")},
                                    {},
                                    {}});
    if (auto* close = form->findChild<QPushButton*>(QStringLiteral("SpeedButton1")))
        close->setIcon(skinGlyph(SkinGlyph::Close));
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
    QDialog* form = module->createPayForm(currentAddress(client), parent);
    dress(form);
    return form;
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
