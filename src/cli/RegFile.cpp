#include "RegFile.h"

#include "platform/Ansi.h"

#include <QStringDecoder>

namespace {

const QString kHeader4 = QStringLiteral("REGEDIT4");
const QString kHeader5 = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kShortRoot = QStringLiteral("HKCU\\Software\\Varnelo");
constexpr int kHexBytesPerLine = 25;

enum class Syntax { Regedit4, Version5 };

// The file as text and its syntax; nothing when it is no registry export.
std::optional<std::pair<QString, Syntax>> decode(const QByteArray& file, QString* error) {
    QString text;
    if (file.startsWith("\xFF\xFE")) {
        if (file.size() % 2 != 0) {
            *error = QStringLiteral("the file ends in the middle of a UTF-16 character");
            return std::nullopt;
        }
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        text = decoder(file.mid(2));
    } else if (file.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        text = decoder(file.mid(3));
        if (decoder.hasError()) {
            *error = QStringLiteral("the file is not valid UTF-8");
            return std::nullopt;
        }
    } else if (file.startsWith(kHeader4.toLatin1())) {
        text = Ansi::toUnicode(file);
    } else {
        QStringDecoder decoder(QStringDecoder::Utf8);
        text = decoder(file);
        if (decoder.hasError()) {
            *error = QStringLiteral("the file is not valid UTF-8");
            return std::nullopt;
        }
    }
    const QString first = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (first == kHeader4)
        return std::make_pair(text, Syntax::Regedit4);
    if (first == kHeader5)
        return std::make_pair(text, Syntax::Version5);
    *error = QStringLiteral("not a registry export (no REGEDIT4 or version 5.00 header)");
    return std::nullopt;
}

// The key below the root; nothing for a key outside it.
std::optional<QString> relativeKey(const QString& path) {
    for (const QString& root : {RegFile::kRoot, kShortRoot}) {
        if (path.compare(root, Qt::CaseInsensitive) == 0)
            return QString();
        if (path.size() > root.size() + 1 && path.startsWith(root, Qt::CaseInsensitive) &&
            path[root.size()] == QLatin1Char('\\'))
            return path.mid(root.size() + 1);
    }
    return std::nullopt;
}

// A quoted text starting at `pos` (on the opening quote); `pos` ends after the closing one.
std::optional<QString> readQuoted(const QString& line, qsizetype& pos) {
    QString text;
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('"')) {
            pos = i + 1;
            return text;
        }
        if (c == QLatin1Char('\\') && i + 1 < line.size() &&
            (line[i + 1] == QLatin1Char('\\') || line[i + 1] == QLatin1Char('"'))) {
            text += line[++i];
            continue;
        }
        text += c;
    }
    return std::nullopt;
}

std::optional<QByteArray> readHexBytes(const QString& list) {
    QByteArray bytes;
    const QStringList parts = list.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        bool ok = false;
        const uint byte = part.trimmed().toUInt(&ok, 16);
        if (!ok || byte > 0xFF)
            return std::nullopt;
        bytes.append(char(byte));
    }
    return bytes;
}

QString escaped(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    out.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return out;
}

bool hasControl(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20)
            return true;
    }
    return false;
}

// A string value as hex(1): its UTF-16LE bytes with the terminating zero, wrapped as regedit
// wraps them.
QString hexString(const QString& prefix, const QString& text) {
    QByteArray bytes(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    bytes.append(2, '\0');
    QString out = prefix + QStringLiteral("hex(1):");
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out += QStringLiteral("%1").arg(uchar(bytes[i]), 2, 16, QLatin1Char('0'));
        if (i + 1 < bytes.size()) {
            out += QLatin1Char(',');
            if ((i + 1) % kHexBytesPerLine == 0)
                out += QStringLiteral("\\\n  ");
        }
    }
    return out;
}

void writeBranch(const Registry::Branch& branch, const QString& path, QString& out,
                 QStringList* warnings) {
    out += QStringLiteral("\n[%1]\n").arg(path);
    for (const Registry::Value& value : branch.values) {
        const QString name = value.name.isEmpty()
                                 ? QStringLiteral("@")
                                 : QStringLiteral("\"%1\"").arg(escaped(value.name));
        switch (value.type) {
        case Registry::ValueType::String: {
            const QString text = Ansi::toUnicode(value.bytes);
            out += hasControl(text) ? hexString(name + QLatin1Char('='), text)
                                    : QStringLiteral("%1=\"%2\"").arg(name, escaped(text));
            out += QLatin1Char('\n');
            break;
        }
        case Registry::ValueType::Integer:
            out += QStringLiteral("%1=dword:%2\n")
                       .arg(name)
                       .arg(quint32(value.integer), 8, 16, QLatin1Char('0'));
            break;
        default:
            warnings->append(
                QStringLiteral("%1: value %2 has a type that cannot be exported").arg(path, name));
            break;
        }
    }
    for (const Registry::Branch& sub : branch.subkeys)
        writeBranch(sub, path + QLatin1Char('\\') + sub.name, out, warnings);
}

} // namespace

std::optional<QList<RegFile::Change>> RegFile::parse(const QByteArray& file, QString* error,
                                                     QStringList* warnings) {
    const auto decoded = decode(file, error);
    if (!decoded)
        return std::nullopt;
    const Syntax syntax = decoded->second;
    QStringList lines = decoded->first.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }

    QList<Change> changes;
    bool sawKey = false;
    bool inRoot = false; // the current section is ours
    QString key;
    auto fail = [&](qsizetype lineIndex, const QString& text) {
        *error = QStringLiteral("line %1: %2").arg(lineIndex + 1).arg(text);
        return std::nullopt;
    };

    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype lineIndex = i;
        QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')))
                return fail(lineIndex, QStringLiteral("a key line without its closing \"]\""));
            const bool remove = line.startsWith(QLatin1String("[-"));
            const QString path = line.mid(remove ? 2 : 1, line.size() - (remove ? 3 : 2));
            const std::optional<QString> relative = relativeKey(path);
            sawKey = true;
            inRoot = relative.has_value();
            if (!inRoot) {
                warnings->append(QStringLiteral("line %1: key %2 is not below %3, skipped")
                                     .arg(lineIndex + 1)
                                     .arg(path, kRoot));
                continue;
            }
            key = *relative;
            if (key.split(QLatin1Char('\\')).contains(QString()) && !key.isEmpty())
                return fail(lineIndex, QStringLiteral("a key name with an empty part"));
            changes.append({remove ? Change::Kind::DeleteKey : Change::Kind::CreateKey, key, {}});
            if (remove)
                inRoot = false;
            continue;
        }

        // A value line: the name, "=", the data; hex data may go on over several lines.
        Registry::Value value;
        qsizetype pos = 0;
        if (line.startsWith(QLatin1Char('@'))) {
            pos = 1;
        } else if (line.startsWith(QLatin1Char('"'))) {
            const std::optional<QString> name = readQuoted(line, pos);
            if (!name)
                return fail(lineIndex, QStringLiteral("a value name without its closing quote"));
            value.name = *name;
        } else {
            return fail(lineIndex, QStringLiteral("neither a key nor a value"));
        }
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        if (pos >= line.size() || line[pos] != QLatin1Char('='))
            return fail(lineIndex, QStringLiteral("a value without \"=\""));
        QString data = line.mid(pos + 1).trimmed();
        if (data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) {
            while (data.endsWith(QLatin1Char('\\')) && i + 1 < lines.size()) {
                data.chop(1);
                data += lines[++i].trimmed();
            }
        }
        if (!sawKey)
            return fail(lineIndex, QStringLiteral("a value before the first key"));
        if (!inRoot)
            continue;

        if (data == QLatin1String("-")) {
            value.type = Registry::ValueType::Missing;
            changes.append({Change::Kind::DeleteValue, key, value});
            continue;
        }
        if (data.startsWith(QLatin1Char('"'))) {
            qsizetype end = 0;
            const std::optional<QString> text = readQuoted(data, end);
            if (!text || end != data.size())
                return fail(lineIndex,
                            QStringLiteral("a string value that is not one quoted text"));
            value.type = Registry::ValueType::String;
            value.bytes = Ansi::fromUnicode(*text);
        } else if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            const QString digits = data.mid(6);
            bool ok = false;
            const uint number = digits.toUInt(&ok, 16);
            if (!ok || digits.isEmpty() || digits.size() > 8 ||
                digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+')))
                return fail(lineIndex,
                            QStringLiteral("a dword value that is not 1 to 8 hexadecimal digits"));
            value.type = Registry::ValueType::Integer;
            value.integer = qint32(number);
        } else if (data.startsWith(QLatin1String("hex(1):"), Qt::CaseInsensitive) ||
                   data.startsWith(QLatin1String("hex(4):"), Qt::CaseInsensitive)) {
            const std::optional<QByteArray> bytes = readHexBytes(data.mid(7));
            if (!bytes)
                return fail(lineIndex,
                            QStringLiteral("hexadecimal data that is not a list of bytes"));
            if (data[4] == QLatin1Char('4')) {
                if (bytes->size() != 4)
                    return fail(lineIndex, QStringLiteral("a hex(4) value that is not 4 bytes"));
                value.type = Registry::ValueType::Integer;
                value.integer =
                    qint32(quint32(uchar((*bytes)[0])) | quint32(uchar((*bytes)[1])) << 8 |
                           quint32(uchar((*bytes)[2])) << 16 | quint32(uchar((*bytes)[3])) << 24);
            } else {
                QString text;
                if (syntax == Syntax::Version5) {
                    if (bytes->size() % 2 != 0)
                        return fail(lineIndex, QStringLiteral("a hex(1) value of an odd length"));
                    text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes->constData()),
                                              bytes->size() / 2);
                } else {
                    text = Ansi::toUnicode(*bytes);
                }
                while (text.endsWith(QChar(0)))
                    text.chop(1);
                value.type = Registry::ValueType::String;
                value.bytes = Ansi::fromUnicode(text);
            }
        } else {
            warnings->append(
                QStringLiteral("line %1: value %2 has a type the store cannot hold, skipped")
                    .arg(lineIndex + 1)
                    .arg(value.name.isEmpty() ? QStringLiteral("@") : value.name));
            continue;
        }
        changes.append({Change::Kind::SetValue, key, value});
    }
    return changes;
}

void RegFile::apply(Registry& registry, const QList<Change>& changes) {
    Registry::Transaction batch(registry);
    for (const Change& change : changes) {
        switch (change.kind) {
        case Change::Kind::CreateKey:
            registry.createKey(change.key);
            break;
        case Change::Kind::DeleteKey:
            // The root itself stays: deleting it would leave the store without its key.
            if (change.key.isEmpty()) {
                for (const QString& sub : registry.subkeys(QString()))
                    registry.deleteKeyTree(sub);
                for (const QString& name : registry.valueNames(QString()))
                    registry.deleteValue(QString(), name);
            } else {
                registry.deleteKeyTree(change.key);
            }
            break;
        case Change::Kind::SetValue:
            if (change.value.type == Registry::ValueType::Integer)
                registry.writeInteger(change.key, change.value.name, change.value.integer);
            else
                registry.writeBytes(change.key, change.value.name, change.value.bytes);
            break;
        case Change::Kind::DeleteValue:
            registry.deleteValue(change.key, change.value.name);
            break;
        }
    }
    batch.commit();
}

QString RegFile::write(const Registry::Branch& root, QStringList* warnings) {
    QString out = kHeader5 + QLatin1Char('\n');
    writeBranch(root, kRoot, out, warnings);
    return out;
}
