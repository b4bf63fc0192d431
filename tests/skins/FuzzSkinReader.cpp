// libFuzzer harness: any bytes as a skin file. The reader must end with a status, never
// crash or hang, and never leave a file outside the folder it unpacks to.

#include "skins/SkinColors.h"
#include "skins/SkinReader.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

struct Sandbox {
    QTemporaryDir root;
    QString work = root.path() + QStringLiteral("/work/");
    Sandbox() { QDir().mkpath(work); }
};

Sandbox& sandbox() {
    static Sandbox instance;
    return instance;
}

// Only plain files directly inside work/ may exist, and nothing else under the root.
void checkNothingEscaped() {
    QDirIterator it(sandbox().root.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.absoluteFilePath() + QLatin1Char('/') == sandbox().work)
            continue;
        if (info.absolutePath() + QLatin1Char('/') != sandbox().work || !info.isFile())
            std::abort();
        QFile::remove(info.absoluteFilePath());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    SkinReader reader(buffer);
    if (reader.readHeader() == SkinReader::Status::Ok) {
        reader.unpackTo(sandbox().work);
        SkinColors::fromConfig(sandbox().work + QStringLiteral("Config.cfg"));
    }
    checkNothingEscaped();
    SkinColors::parse(QString::fromLatin1(bytes));
    return 0;
}
