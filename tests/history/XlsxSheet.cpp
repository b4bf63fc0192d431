#include "XlsxSheet.h"

#include <QJsonDocument>
#include <QProcess>

QJsonObject readXlsx(const QString& path) {
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral(XLSX_CELLS_SCRIPT), path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return {{QStringLiteral("error"),
                 QString::fromUtf8(python.readAllStandardError()) + python.errorString()}};
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QStringList xlsxRow(const QJsonObject& sheet, int row, int columns) {
    QStringList out;
    for (int column = 0; column < columns; ++column) {
        const QJsonObject cell =
            sheet[QStringLiteral("cells")][QString(QChar(u'A' + column)) + QString::number(row)]
                .toObject();
        out.append(cell.isEmpty() ? QString()
                                  : cell[QStringLiteral("kind")].toString() + u':' +
                                        cell[QStringLiteral("value")].toString());
    }
    return out;
}
