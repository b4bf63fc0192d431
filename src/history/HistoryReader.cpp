#include "HistoryReader.h"

#include "platform/Ansi.h"

#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

using namespace HistoryLayout;

// Large enough that a whole history comes in a few reads.
constexpr qsizetype kChunkSize = 256 * 1024;

double readDouble(const char* bytes) {
    const quint64 bits = qFromLittleEndian<quint64>(bytes);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Ansi's code page as a flat table, for the bytes 0x80 to 0xBF.
const std::array<char16_t, 256>& codePage() {
    static const auto table = [] {
        std::array<char16_t, 256> result{};
        for (int byte = 0; byte < 256; ++byte)
            result[byte] = Ansi::fromByte(static_cast<char>(byte)).unicode();
        return result;
    }();
    return table;
}

// Same result as Ansi::toUnicode, built for speed: a history holds megabytes of text. ASCII
// and the letters "А" to "я" (0xC0 to 0xFF, U+0410 to U+044F) are plain arithmetic that the
// compiler vectorises; the few other bytes are looked up afterwards.
QString decode(const char* bytes, qsizetype size) {
    QString text(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    unsigned char others = 0; // a byte, not a bool, so that the loop vectorises
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char byte = in[i];
        out[i] = char16_t(byte + (byte >= 0xC0 ? 0x350 : 0));
        others |= static_cast<unsigned char>((byte & 0xC0) == 0x80);
    }
    if (others) {
        const auto& table = codePage();
        for (qsizetype i = 0; i < size; ++i) {
            if ((in[i] & 0xC0) == 0x80)
                out[i] = table[in[i]];
        }
    }
    return text;
}

// 31 December 9999, the last day a stored date can name.
constexpr double kLastDay = 2958465;

// A record of the headerless layout that can be a sent message: a real day (whole days since
// 1899), a time of day, a number length that fits and texts without control characters. Any
// other bytes, read in that layout, fail this nearly always: the date alone must be a whole
// number of a narrow range.
bool plausibleHeaderless(const char* bytes) {
    const double date = readDouble(bytes + 8);
    const double time = readDouble(bytes + 16);
    if (!(date >= 1 && date <= kLastDay && date == std::trunc(date)) || !(time >= 0 && time < 1))
        return false;
    const auto* number = reinterpret_cast<const unsigned char*>(bytes + 26);
    const int numberLength = static_cast<quint8>(bytes[25]);
    if (numberLength > kMaxNumber ||
        std::any_of(number, number + numberLength, [](unsigned char c) { return c < 0x20; }))
        return false;
    const auto* text = reinterpret_cast<const unsigned char*>(bytes + kFixedBlock + 2);
    for (int i = 0; i < kHeaderlessText && text[i] != 0; ++i) {
        if (text[i] < 0x20 && text[i] != '\t' && text[i] != '\r' && text[i] != '\n')
            return false;
    }
    return true;
}

bool allZero(const char* bytes, qsizetype size) {
    return std::all_of(bytes, bytes + size, [](char c) { return c == 0; });
}

} // namespace

HistoryReader::HistoryReader(const QString& path)
    : m_file(path) {
}

bool HistoryReader::openFile() {
    m_buffer.clear();
    m_pos = 0;
    m_failed = !m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    return !m_failed;
}

bool HistoryReader::OpenHistory() {
    if (!m_file.exists()) {
        QFile created(m_file.fileName());
        created.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    if (!m_file.exists())
        return true; // could not even be created: nothing to read, like an empty history
    if (!openFile())
        return false;
    fill(kHeaderSize);
    const qsizetype seen = std::min<qsizetype>(m_buffer.size(), kHeaderSize);
    if (m_failed || std::memcmp(m_buffer.constData(), kV22.constData(), seen) != 0) {
        close();
        return false;
    }
    m_pos = seen;
    m_format = HistoryFormat::V22;
    return true;
}

std::optional<HistoryFormat> HistoryReader::openAnyFormat() {
    if (!openFile())
        return std::nullopt;
    if (!fill(kHeaderSize)) {
        if (m_failed) {
            close();
            return std::nullopt;
        }
        // Shorter than any header. The start of a current one holds no record to lose, and
        // is taken whole.
        if (kV22.startsWith(m_buffer))
            m_pos = m_buffer.size();
        m_format = HistoryFormat::Headerless;
        return m_format;
    }
    const QByteArray header = m_buffer.first(kHeaderSize);
    m_pos = kHeaderSize;
    if (header == kV22)
        m_format = HistoryFormat::V22;
    else if (header == kV21)
        m_format = HistoryFormat::V21;
    else if (header == kV20)
        m_format = HistoryFormat::V20;
    else {
        m_format = HistoryFormat::Headerless;
        m_pos = 0;
    }
    return m_format;
}

void HistoryReader::close() {
    m_file.close();
    m_buffer.clear();
    m_pos = 0;
}

bool HistoryReader::fill(qsizetype needed) {
    if (m_pos > 0) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    while (m_buffer.size() < needed) {
        const qsizetype have = m_buffer.size();
        const qsizetype room = std::max(needed - have, kChunkSize);
        m_buffer.resize(have + room);
        const qint64 got = m_file.read(m_buffer.data() + have, room);
        m_buffer.resize(have + std::max<qint64>(got, 0));
        if (got < 0)
            m_failed = true;
        if (got <= 0)
            return false;
    }
    return true;
}

const char* HistoryReader::take(qsizetype size) {
    if (!m_file.isOpen())
        return nullptr;
    if (m_buffer.size() - m_pos < size && !fill(size))
        return nullptr;
    const char* bytes = m_buffer.constData() + m_pos;
    m_pos += size;
    return bytes;
}

QString HistoryReader::text(const char* bytes, qsizetype size, bool cutAtZero, Recent* recent) {
    if (cutAtZero) {
        if (const void* zero = std::memchr(bytes, 0, size))
            size = static_cast<const char*>(zero) - bytes;
    }
    if (!recent)
        return decode(bytes, size);
    if (recent->bytes.size() != size || std::memcmp(recent->bytes.constData(), bytes, size) != 0) {
        recent->bytes.resize(size);
        std::memcpy(recent->bytes.data(), bytes, size);
        recent->text = decode(bytes, size);
    }
    return recent->text;
}

// Offsets 0 to 39, shared by every layout.
void HistoryReader::readFixedBlock(const char* block, TMess& record) {
    record.Id = qFromLittleEndian<qint32>(block);
    record.Reserved = qFromLittleEndian<quint32>(block + 4);
    record.Date = readDouble(block + 8);
    record.Time = readDouble(block + 16);
    record.Status = static_cast<quint8>(block[24]);
    const int numberLength = std::min<int>(static_cast<quint8>(block[25]), kMaxNumber);
    record.Number = text(block + 26, numberLength, false);
}

qsizetype HistoryReader::takeText(QString* out, bool cutAtZero, Recent* recent) {
    const char* length = take(2);
    if (!length)
        return -1;
    const qsizetype size = qFromLittleEndian<quint16>(length);
    const char* bytes = take(size);
    if (!bytes)
        return -1;
    if (out)
        *out = text(bytes, size, cutAtZero, recent);
    return size;
}

bool HistoryReader::ReadRecord(TMess& record) {
    return next(&record);
}

bool HistoryReader::skipRecord() {
    return next(nullptr);
}

QString HistoryReader::damage() const {
    QStringList parts;
    if (m_passedOver > 0)
        parts << (m_format == HistoryFormat::Headerless
                      ? QStringLiteral("%1 records that are no message")
                      : QStringLiteral("%1 records of zero bytes"))
                     .arg(m_passedOver);
    if (m_torn)
        parts << QStringLiteral("a torn last record");
    return parts.join(QStringLiteral(", "));
}

bool HistoryReader::next(TMess* record) {
    for (;;) {
        if (record)
            *record = TMess();
        if (!m_file.isOpen())
            return false;
        // Not one byte left is the end; any bytes short of a whole record are a torn one.
        if (m_pos == m_buffer.size() && !fill(1))
            return false;
        switch (m_format == HistoryFormat::Headerless ? headerlessStep(record)
                                                      : headerStep(record)) {
        case Step::Taken:
            return true;
        case Step::PassedOver:
            ++m_passedOver;
            continue;
        case Step::Torn:
            m_torn = !m_failed;
            return false;
        }
    }
}

HistoryReader::Step HistoryReader::headerlessStep(TMess* record) {
    const char* bytes = take(kHeaderlessRecord);
    if (!bytes)
        return Step::Torn;
    if (!plausibleHeaderless(bytes))
        return Step::PassedOver;
    if (record) {
        readFixedBlock(bytes, *record);
        record->Text = text(bytes + kFixedBlock + 2, kHeaderlessText, true);
    }
    return Step::Taken;
}

HistoryReader::Step HistoryReader::headerStep(TMess* record) {
    const char* block = take(kFixedBlock);
    if (!block)
        return Step::Torn;
    // Looked at now: the next take may move the buffer.
    const bool zeroBlock = allZero(block, kFixedBlock);
    if (record)
        readFixedBlock(block, *record);
    // Text in every layout, Sender from 2.1 on, Sign in 2.2. The older layouts end a text at
    // its first zero byte, 2.1 only the Sender.
    const int fields = m_format == HistoryFormat::V22 ? 3 : m_format == HistoryFormat::V21 ? 2 : 1;
    QString TMess::*const members[] = {&TMess::Text, &TMess::Sender, &TMess::Sign};
    Recent* const recent[] = {nullptr, &m_sender, &m_sign};
    qsizetype texts = 0;
    for (int i = 0; i < fields; ++i) {
        const bool cutAtZero =
            m_format == HistoryFormat::V20 || (m_format == HistoryFormat::V21 && i == 1);
        const qsizetype size =
            takeText(record ? &(record->*members[i]) : nullptr, cutAtZero, recent[i]);
        if (size < 0)
            return Step::Torn;
        texts += size;
    }
    return zeroBlock && texts == 0 ? Step::PassedOver : Step::Taken;
}
