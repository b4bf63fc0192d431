#include "platform/HeapSettings.h"

#include <QFile>
#include <QTest>

#include <memory>
#include <vector>

namespace {

qint64 residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

class HeapSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { HeapSettings::apply(); }

    // Small blocks freed between blocks still in use leave holes that the heap's top trim
    // never reaches; the release gives their pages back.
    void holesGoBackToTheSystem() {
        constexpr int kBlocks = 16 * 1024;
        constexpr size_t kBlockBytes = 1024;
        std::vector<std::unique_ptr<char[]>> blocks;
        for (int i = 0; i < kBlocks; ++i) {
            blocks.emplace_back(new char[kBlockBytes]);
            std::fill_n(blocks.back().get(), kBlockBytes, char(i));
        }
        // Every 16th block stays, so no free run reaches the top of the heap.
        for (int i = 0; i < kBlocks; ++i) {
            if (i % 16 != 15)
                blocks[i].reset();
        }
        const qint64 before = residentKb();
        QVERIFY(HeapSettings::releaseFreed());
        const qint64 released = before - residentKb();
        QVERIFY2(released > 8 * 1024, qPrintable(QStringLiteral("%1 KiB back").arg(released)));
    }
};

QTEST_GUILESS_MAIN(HeapSettingsTest)
#include "HeapSettingsTest.moc"
