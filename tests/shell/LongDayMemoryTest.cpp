#include "TestProfile.h"
#include "messaging/ui/MySheet.h"
#include "messaging/ui/SendUnit.h"
#include "messaging/ui/UnknownOutcomeDialog.h"
#include "platform/ui/Prompts.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"
#include "shell/ProgramWindows.h"
#include "skins/ui/SkinUnit.h"

#include <QApplication>
#include <QTest>

#include <malloc.h>

namespace {

qint64 liveHeapKb() {
    const struct mallinfo2 heap = mallinfo2();
    return qint64((heap.uordblks + heap.hblkhd) / 1024);
}

} // namespace

// What a working day repeats, done many times over with the program's windows set up as the
// start sets them up: what it leaves behind must stay level, not grow with the count.
class LongDayMemoryTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    std::shared_ptr<ServiceClient> m_client;
    std::unique_ptr<ProgramWindows> m_windows;
    std::unique_ptr<TSendForm> m_send;
    int m_opened = 0;

    TMySheet* openPage() {
        m_send->CreateNewPage(
            QStringLiteral("Varnelo"), QString(),
            QStringLiteral("+7916555%1").arg(m_opened % 10000, 4, 10, QLatin1Char('0')), QString(),
            QStringLiteral("Текст %1").arg(m_opened), false, nullptr);
        ++m_opened;
        return m_send->activePage();
    }

    // Pages for numbers outside the book, each drawn and then closed, as the user does; one
    // page stays, so the window stays open.
    void openAndClosePages(int count) {
        for (int i = 0; i < count; ++i) {
            TMySheet* page = openPage();
            QVERIFY(page);
            m_send->grab();
            page->ClosePage();
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

private slots:
    void initTestCase() {
        Prompts::enableTestMode();
        QApplication::setStyle(QStringLiteral("Fusion"));
        Settings(m_profile.store()).runFirstStart({});
        m_client = std::make_shared<ServiceClient>(m_profile.sharedStore());
        m_windows = std::make_unique<ProgramWindows>(m_client);
        QVERIFY(SkinUnit::active().loadActiveSkin(m_profile.store()));
        m_send = std::make_unique<TSendForm>(m_client);
        QVERIFY(openPage());
    }
    void cleanupTestCase() { m_send.reset(); }

    // Every skinned page has palettes of its own; what the style drew for a closed page must
    // not pile up in Qt's pixmap cache, nor the page's widgets outlive it. After the first
    // pages, the next as many must leave the heap where it was: 6 KiB for 400 here. Under a
    // 256 KB cap the names of the pixmaps the cache had let go kept 356 KiB, with Qt's 10 MB
    // default 1.3 MiB.
    void closedPagesLeaveNothingBehind() {
        constexpr int kPages = 400;
        openAndClosePages(kPages);
        const qsizetype widgets = QApplication::allWidgets().size();
        const qint64 heapKb = liveHeapKb();
        openAndClosePages(kPages);
        QCOMPARE(QApplication::allWidgets().size(), widgets);
        const qint64 grownKb = liveHeapKb() - heapKb;
        QVERIFY2(grownKb < kPages / 4,
                 qPrintable(QStringLiteral("grew by %1 KiB").arg(grownKb)));
    }

    // Sends whose reply never came stay listed until the user settles them, so their window
    // may hold a day's worth: a listed row must cost little more than the journal row itself
    // (about 800 bytes here; a table of items with their texts and tooltips took 1,800).
    void unknownOutcomesCostTheirRowsOnly() {
        constexpr int kRows = 300;
        const auto addUnknown = [this](int count) {
            for (int i = 0; i < count; ++i) {
                SendJournal::Row row;
                row.numbers = {QStringLiteral("+79165550001"), QStringLiteral("+79165550002")};
                row.message = QStringLiteral("Встреча переносится на четверг, %1").arg(i);
                m_send->journal().markUnknown(m_send->journal().begin(row),
                                              QStringLiteral("ответ не получен"));
            }
        };
        addUnknown(kRows);
        UnknownOutcomeDialog dialog(*m_send);
        dialog.show();
        dialog.grab();
        const qint64 heapKb = liveHeapKb();
        addUnknown(kRows);
        dialog.refresh();
        dialog.grab();
        QCOMPARE(dialog.rows().size(), 2 * kRows);
        const qint64 grownBytes = (liveHeapKb() - heapKb) * 1024 / kRows;
        QVERIFY2(grownBytes < 1100, qPrintable(QStringLiteral("%1 B a row").arg(grownBytes)));
    }
};

QTEST_MAIN(LongDayMemoryTest)
#include "LongDayMemoryTest.moc"
