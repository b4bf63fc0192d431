#include "skins/ui/SkinUnit.h"
#include "SkinBytes.h"
#include "TestProfile.h"
#include "platform/Ansi.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "platform/ui/Prompts.h"
#include "skins/SkinColors.h"
#include "skins/SkinReader.h"

#include <QBuffer>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace SkinBytes;

Q_DECLARE_METATYPE(SkinError::Kind)

namespace {

QByteArray bmp(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

QImage filled(QSize size, QRgb color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// Each cell filled with its own colour, its top-left pixel pure red.
struct MarkedSheet {
    QImage sheet{320, 66, QImage::Format_RGB32};
    QRgb mark(const QRect& cell, int id) {
        const QRgb color = qRgb(10 + id * 3, 200 - id, 40 + id);
        QPainter(&sheet).fillRect(cell, QColor(color));
        sheet.setPixel(cell.topLeft(), qRgb(255, 0, 0));
        return color;
    }
};

const QList<QPoint> kSmallCorners = {{176, 0},  {192, 0},  {208, 0},  {224, 0},  {240, 0},
                                     {256, 0},  {272, 0},  {288, 0},  {304, 0},  {208, 16},
                                     {176, 16}, {176, 32}, {192, 16}, {192, 32}, {208, 32},
                                     {176, 48}, {192, 48}, {208, 48}, {224, 48}};

bool isTransparent(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                return false;
    return true;
}

bool hasVisiblePixels(const QImage& image, QRgb background) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) != 0 && p != 0xFFFF0000 && p != background)
                return true;
        }
    return false;
}

} // namespace

class SkinUnitTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

    void installSkin(const QByteArray& bytes) {
        QVERIFY(writeFile(AppPaths::dataFolder() + QStringLiteral("Test.skn"), bytes));
        Registry().writeString(QString(), QStringLiteral("Theme"), QStringLiteral("Test.skn"));
    }

private slots:
    void initTestCase() { Prompts::enableTestMode(); }
    void init() { Prompts::takeAsked(); }

    void errorText_data() {
        QTest::addColumn<SkinError::Kind>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("missing") << SkinError::Kind::NotFound
                                 << QStringLiteral("Файл /s/A.skn не найден!!!");
        QTest::newRow("format") << SkinError::Kind::BadFormat
                                << QStringLiteral("Неверный формат файла /s/A.skn!!!");
        QTest::newRow("version") << SkinError::Kind::BadVersion
                                 << QStringLiteral("Версия файла /s/A.skn не поддерживается!!!");
        QTest::newRow("read") << SkinError::Kind::ReadError
                              << QStringLiteral("Ошибка при чтении файла /s/A.skn!!!");
    }
    void errorText() {
        QFETCH(SkinError::Kind, kind);
        QFETCH(QString, text);
        QCOMPARE(SkinUnit::errorText({kind, QStringLiteral("/s/A.skn")}), text);
    }

    void fatalErrorIsShownAndFails_data() {
        QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
        QTest::addColumn<QString>("text");
        const QString path = AppPaths::dataFolder() + QStringLiteral("Test.skn");
        QTest::newRow("missing") << QByteArray()
                                 << QStringLiteral("Файл %1 не найден!!!").arg(path);
        QTest::newRow("format") << QByteArray("skx") + counted("2.1")
                                << QStringLiteral("Неверный формат файла %1!!!").arg(path);
        QTest::newRow("version")
            << header("x", "2.10")
            << QStringLiteral("Версия файла %1 не поддерживается!!!").arg(path);
        QTest::newRow("read") << header("x") + counted("1.bmp") + sizeField(1000)
                              << QStringLiteral("Ошибка при чтении файла %1!!!").arg(path);
    }
    void fatalErrorIsShownAndFails() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        installSkin(bytes);
        if (bytes.isEmpty())
            QFile::remove(AppPaths::dataFolder() + QStringLiteral("Test.skn"));
        SkinUnit skin;
        QVERIFY(!skin.loadActiveSkin(m_profile.store()));
        QVERIFY(!skin.isLoaded());
        const QList<Prompts::Asked> asked = Prompts::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, text);
        QCOMPARE(asked[0].caption, QStringLiteral("Ошибка"));
        QCOMPARE(asked[0].icon, QMessageBox::Critical);
        QCOMPARE(asked[0].buttons, QMessageBox::StandardButtons(QMessageBox::Cancel));
    }

    void loadsColoursAndSheet() {
        MarkedSheet marked;
        marked.sheet.fill(qRgb(255, 0, 0));
        const QRgb contact = marked.mark(QRect(kSmallCorners[1], QSize(16, 16)), 1);
        installSkin(header(Ansi::fromUnicode(QStringLiteral("Тест"))) +
                    entry("1.bmp", bmp(marked.sheet)) +
                    entry("Config.cfg", "[Colors]\nMain=$CEECD3\nCaptionText=$0000FF\n"));
        SkinUnit skin;
        QVERIFY(skin.loadActiveSkin(m_profile.store()));
        QVERIFY(Prompts::takeAsked().isEmpty());
        QVERIFY(skin.isLoaded());
        QCOMPARE(skin.displayName(), QStringLiteral("Тест"));
        QCOMPARE(skin.Main(), QColor(0xD3, 0xEC, 0xCE));
        QCOMPARE(skin.CaptionText(), QColor(255, 0, 0));
        QCOMPARE(skin.Other(), QColor(0xF0, 0xF9, 0xEE));
        QCOMPARE(skin.colorValues().InfoText, 0xB1552Cu);
        QCOMPARE(skin.spriteSheet().size(), QSize(320, 66));
        QCOMPARE(skin.sprites().smallIcon(1).pixel(5, 5), contact);
        QCOMPARE(skin.workFolder(), AppPaths::skinWorkFolder());
    }

    void missingSheetLeavesEmptyPieces() {
        QFile::remove(AppPaths::skinWorkFolder() + QStringLiteral("1.bmp"));
        installSkin(header("Bare"));
        SkinUnit skin;
        QVERIFY(skin.loadActiveSkin(m_profile.store()));
        QVERIFY(skin.spriteSheet().isNull());
        QCOMPARE(skin.sprites().smallIcon(0).size(), QSize(16, 16));
        QVERIFY(isTransparent(skin.sprites().smallIcon(0)));
        QVERIFY(isTransparent(skin.sprites().tallIcon()));
        QCOMPARE(skin.sprites().toolbarButton(7, SkinSprites::ButtonState::Down).pixel(21, 21),
                 SkinSprites::MaskColor);
    }

    void piecesAreCutFromTheirCells() {
        MarkedSheet marked;
        marked.sheet.fill(qRgb(0, 0, 0));
        QList<QRgb> small;
        for (int i = 0; i < kSmallCorners.size(); ++i)
            small << marked.mark(QRect(kSmallCorners[i], QSize(16, 16)), i);
        const QRgb tall = marked.mark(QRect(224, 16, 21, 32), 30);
        const QRgb first22 = marked.mark(QRect(245, 16, 22, 22), 31);
        const QRgb second22 = marked.mark(QRect(245, 38, 22, 22), 32);
        QList<QRgb> buttons;
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 8; ++column)
                buttons << marked.mark(QRect(column * 22, row * 22, 22, 22), 40 + row * 8 + column);

        const SkinSprites sprites(marked.sheet);
        for (int i = 0; i < SkinSprites::SmallIconCount; ++i) {
            const QImage icon = sprites.smallIcon(i);
            QCOMPARE(icon.size(), QSize(16, 16));
            QCOMPARE(qAlpha(icon.pixel(0, 0)), 0); // red is the mask colour
            QCOMPARE(icon.pixel(1, 0), small[i]);
            QCOMPARE(icon.pixel(15, 15), small[i]);
        }
        QVERIFY(sprites.smallIcon(19).isNull());
        QCOMPARE(sprites.tallIcon().size(), QSize(21, 32));
        QCOMPARE(sprites.tallIcon().pixel(20, 31), tall);
        QCOMPARE(qAlpha(sprites.tallIcon().pixel(0, 0)), 0);
        QCOMPARE(sprites.icon22(0).size(), QSize(22, 22));
        QCOMPARE(sprites.icon22(0).pixel(21, 21), first22);
        QCOMPARE(sprites.icon22(1).pixel(21, 21), second22);
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 8; ++column) {
                const QImage button = sprites.toolbarButton(column, SkinSprites::ButtonState(row));
                QCOMPARE(button.size(), QSize(22, 22));
                QCOMPARE(button.pixel(21, 21), buttons[row * 8 + column]);
                QCOMPARE(button.pixel(0, 0), SkinSprites::MaskColor); // kept for the button
            }
        }
        QVERIFY(sprites.toolbarButton(8, SkinSprites::ButtonState::None).isNull());
    }

    void smallSheetIsCutAsFarAsItGoes() {
        const SkinSprites sprites(filled(QSize(184, 8), qRgb(1, 2, 3)));
        const QImage icon = sprites.smallIcon(0); // (176,0): 8 x 8 of it inside the sheet
        QCOMPARE(icon.pixel(7, 7), qRgb(1, 2, 3));
        QCOMPARE(qAlpha(icon.pixel(8, 0)), 0);
        QCOMPARE(qAlpha(icon.pixel(0, 8)), 0);
        QVERIFY(isTransparent(sprites.smallIcon(8)));
    }

    void dressesAWindow() {
        installSkin(header("D") + entry("5.bmp", bmp(filled(QSize(40, 10), qRgb(9, 9, 9)))) +
                    entry("Config.cfg", "[Colors]\nMain=$112233\nOther=$445566\n"
                                        "InfoText=$778899\nCaptionText=$AABBCC\n"));
        QFile::remove(AppPaths::skinWorkFolder() + QStringLiteral("14.bmp"));
        SkinUnit skin;
        QVERIFY(skin.loadActiveSkin(m_profile.store()));
        QWidget window;
        auto* banner = new QLabel(&window);
        auto* picture = new QLabel(&window);
        picture->setPixmap(QPixmap(2, 2));
        auto* title = new QLabel(QStringLiteral("Настройка"), &window);
        auto* info = new QLabel(&window);
        auto* memo = new QWidget(&window);
        auto* edit = new QLineEdit(&window);
        const QColor field = edit->palette().color(QPalette::Base);
        skin.dress(&window, {banner, picture, QStringLiteral("14.bmp"), {title}, {info}, {memo}});
        QCOMPARE(window.palette().color(QPalette::Window), QColor(0x33, 0x22, 0x11));
        QCOMPARE(memo->palette().color(QPalette::Base), QColor(0x66, 0x55, 0x44));
        QCOMPARE(edit->palette().color(QPalette::Base), field); // not named: keeps its field
        QCOMPARE(info->palette().color(QPalette::WindowText), QColor(0x99, 0x88, 0x77));
        QCOMPARE(title->palette().color(QPalette::WindowText), QColor(0xCC, 0xBB, 0xAA));
        QCOMPARE(banner->pixmap().size(), QSize(40, 10));
        QVERIFY(banner->hasScaledContents());
        QVERIFY(picture->pixmap().isNull()); // missing picture: nothing shown there
    }

    void picturesStayInTheWorkFolder() {
        SkinUnit skin;
        installSkin(header("P"));
        QVERIFY(skin.loadActiveSkin(m_profile.store()));
        QVERIFY(writeFile(m_profile.root() + QStringLiteral("/outside.bmp"),
                          bmp(filled(QSize(4, 4), qRgb(1, 1, 1)))));
        QVERIFY(skin.picture(QStringLiteral("../../../outside.bmp")).isNull());
        QVERIFY(skin.picture(QStringLiteral("garbage.bmp")).isNull());
        QVERIFY(writeFile(skin.workFolder() + QStringLiteral("garbage.bmp"), "BM\xff\xff\xff\xff"));
        QVERIFY(skin.picture(QStringLiteral("garbage.bmp")).isNull());
    }

    void skinpackPacksAFolder() {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("src"));
        QVERIFY(QDir().mkpath(source + QStringLiteral("/sub")));
        QVERIFY(writeFile(source + QStringLiteral("/2.bmp"), "two"));
        QVERIFY(writeFile(source + QStringLiteral("/10.bmp"), "ten"));
        QVERIFY(writeFile(source + QStringLiteral("/Config.cfg"), ""));
        const QString out = dir.filePath(QStringLiteral("Out.skn"));
        QCOMPARE(
            QProcess::execute(QStringLiteral(SKINPACK_PATH),
                              {source, out, QStringLiteral("--name"), QStringLiteral("Морской")}),
            0);
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), header("\xcc\xee\xf0\xf1\xea\xee\xe9") + entry("10.bmp", "ten") +
                                     entry("2.bmp", "two") + entry("Config.cfg", ""));
    }

    void skinpackRefuses_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no name") << QStringList{"SRC", "OUT"};
        QTest::newRow("name not in code page") << QStringList{"SRC", "OUT", "--name", "日本"};
        QTest::newRow("missing folder") << QStringList{"SRC/none", "OUT", "--name", "x"};
        QTest::newRow("extra argument") << QStringList{"SRC", "OUT", "x", "--name", "x"};
    }
    void skinpackRefuses() {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("1.bmp")), "x"));
        const QString out = dir.filePath(QStringLiteral("out/Out.skn"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("out"))));
        arguments.replaceInStrings(QStringLiteral("SRC"), dir.path());
        arguments.replaceInStrings(QStringLiteral("OUT"), out);
        QVERIFY(QProcess::execute(QStringLiteral(SKINPACK_PATH), arguments) > 0);
        QVERIFY(QDir(dir.filePath(QStringLiteral("out"))).isEmpty());
    }

    void shippedSkins_data() {
        QTest::addColumn<QString>("path");
        const QDir shipped(QStringLiteral(SHIPPED_SKINS_DIR));
        const QStringList files = shipped.entryList({QStringLiteral("*.skn")}, QDir::Files);
        QVERIFY(files.contains(QStringLiteral("Default.skn")));
        QVERIFY(files.size() >= 2);
        for (const QString& file : files)
            QTest::newRow(qPrintable(file)) << shipped.filePath(file);
    }
    void shippedSkins() {
        QFETCH(QString, path);
        QVERIFY(!SkinReader::readDisplayName(path).isEmpty());
        QTemporaryDir dir;
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        SkinReader reader(file);
        QCOMPARE(reader.readHeader(), SkinReader::Status::Ok);
        QCOMPARE(reader.unpackTo(dir.path() + QLatin1Char('/')), SkinReader::Status::Ok);

        QSettings ini(dir.filePath(QStringLiteral("Config.cfg")), QSettings::IniFormat);
        for (const char* key : {"Main", "Other", "InfoText", "CaptionText"})
            QVERIFY2(SkinColors::parse(
                         ini.value(QStringLiteral("Colors/") + QLatin1String(key)).toString()),
                     key);

        const auto image = [&](const QString& name) { return QImage(dir.filePath(name)); };
        const QImage sheet = image(QStringLiteral("1.bmp"));
        QVERIFY(sheet.width() >= 320 && sheet.height() >= 66);
        QCOMPARE(image(QStringLiteral("2.bmp")).height(), 25);
        QVERIFY(!image(QStringLiteral("3.bmp")).isNull());
        QVERIFY(!image(QStringLiteral("5.bmp")).isNull());
        for (int n = 6; n <= 13; ++n)
            QVERIFY2(!image(QStringLiteral("%1.bmp").arg(n)).isNull(),
                     qPrintable(QString::number(n)));
        QCOMPARE(image(QStringLiteral("14.bmp")).size(), QSize(32, 32));

        // Every piece of the sheet holds a picture, drawn on the mask colour.
        const SkinSprites sprites(sheet);
        for (int i = 0; i < SkinSprites::SmallIconCount; ++i)
            QVERIFY2(hasVisiblePixels(sprites.smallIcon(i), 0), qPrintable(QString::number(i)));
        QVERIFY(hasVisiblePixels(sprites.tallIcon(), 0));
        QVERIFY(hasVisiblePixels(sprites.icon22(0), 0) && hasVisiblePixels(sprites.icon22(1), 0));
        for (int b = 0; b < SkinSprites::ToolbarButtonCount; ++b) {
            for (int s = 0; s < 3; ++s) {
                const QImage button = sprites.toolbarButton(b, SkinSprites::ButtonState(s));
                QVERIFY2(hasVisiblePixels(button, 0),
                         qPrintable(QStringLiteral("%1/%2").arg(b).arg(s)));
                QCOMPARE(button.pixel(0, 0), SkinSprites::MaskColor); // outline is see-through
            }
        }
    }
};

QTEST_MAIN(SkinUnitTest)
#include "SkinUnitTest.moc"
