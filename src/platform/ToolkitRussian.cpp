#include "ToolkitRussian.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <optional>

namespace {

// Set once, at start, before any other thread runs.
std::optional<QLocale> g_desktopLocale;

} // namespace

namespace ToolkitRussian {

bool install(QCoreApplication& app) {
    if (!g_desktopLocale)
        g_desktopLocale = QLocale();
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);
    auto* translator = new QTranslator(&app);
    if (!translator->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QLocale desktopLocale() {
    return g_desktopLocale.value_or(QLocale());
}

} // namespace ToolkitRussian
