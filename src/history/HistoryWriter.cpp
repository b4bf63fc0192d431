#include "HistoryWriter.h"

#include "HistoryFormat.h"
#include "platform/Ansi.h"
#include "platform/SaveFile.h"

#include <QtEndian>

#include <cstring>

namespace {

using namespace HistoryLayout;

template <typename T> void appendLittleEndian(QByteArray& out, T value) {
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

void appendDouble(QByteArray& out, double value) {
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    appendLittleEndian(out, bits);
}

void appendText(QByteArray& out, const QString& text) {
    const QByteArray bytes = Ansi::fromUnicode(text.left(kMaxField));
    appendLittleEndian(out, static_cast<quint16>(bytes.size()));
    out.append(bytes);
}

} // namespace

HistoryWriter::HistoryWriter(const QString& path)
    : m_path(path)
    , m_content(kV22) {
}

void HistoryWriter::RewriteHistory() {
    m_content = kV22;
}

void HistoryWriter::WriteRecord(const TMess& record) {
    appendLittleEndian(m_content, record.Id);
    appendLittleEndian(m_content, record.Reserved);
    appendDouble(m_content, record.Date);
    appendDouble(m_content, record.Time);
    m_content.append(static_cast<char>(record.Status));
    const QByteArray number = Ansi::fromUnicode(record.Number.left(kMaxNumber));
    m_content.append(static_cast<char>(number.size()));
    m_content.append(number);
    m_content.append(kMaxNumber - number.size(), '\0');
    appendText(m_content, record.Text);
    appendText(m_content, record.Sender);
    appendText(m_content, record.Sign);
}

QString HistoryWriter::commit() {
    return saveFileAtomically(m_path, m_content);
}
