#pragma once

#include "HistoryFormat.h"
#include "TMess.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

// Reads History.dat record by record, in any of its layouts. Every length in the file is
// checked against what is really there: a record that runs past the end ends the reading.
// Records that hold no message are passed over: those of zero bytes alone (what a crash
// leaves at the end of a growing file), and in the headerless layout, which has no header to
// tell it from any other bytes, every record that is no plausible message.
class HistoryReader {
public:
    explicit HistoryReader(const QString& path);

    // Opens the file as a current history, creating it empty when missing. A file that is
    // empty or shorter than the header but agrees with its start counts as one with no
    // records. False otherwise (file closed).
    bool OpenHistory();

    // Opens an existing file of any layout and tells which one its header names; a file
    // without a known header is read as headerless (one shorter than a header that agrees
    // with the start of the current one as headerless with no records, whole). Nothing when
    // it cannot be opened.
    std::optional<HistoryFormat> openAnyFormat();

    // The next record of the opened layout; false at the end, on a torn record or an error.
    bool ReadRecord(TMess& record);
    // The same step without building the record, to check a file.
    bool skipRecord();

    // Once reading has ended: what kept the file from reading whole (a torn record, records
    // passed over), in a few words; empty when nothing did.
    QString damage() const;

    // The file exists but could not be opened or read: unlike a torn record, this says
    // nothing about its content, so it must not be rewritten on the strength of this read.
    bool failed() const { return m_failed; }
    QString errorString() const { return m_file.errorString(); }

    void close();

private:
    // The last text read into a field, for records that repeat it.
    struct Recent {
        QByteArray bytes;
        QString text;
    };

    enum class Step { Taken, PassedOver, Torn };

    bool openFile();
    bool fill(qsizetype needed);
    const char* take(qsizetype size);
    // With `recent`, a text equal to the last one shares its string.
    QString text(const char* bytes, qsizetype size, bool cutAtZero, Recent* recent = nullptr);
    void readFixedBlock(const char* block, TMess& record);
    // The length of the text taken, -1 when it runs past the end. Without `out` the text is
    // only stepped over.
    qsizetype takeText(QString* out, bool cutAtZero, Recent* recent = nullptr);
    bool next(TMess* record);
    Step headerlessStep(TMess* record);
    Step headerStep(TMess* record);

    QFile m_file;
    HistoryFormat m_format = HistoryFormat::V22;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_failed = false;
    bool m_torn = false;
    int m_passedOver = 0;
    // Sender and signature are nearly always those of the record before; numbers and texts
    // mostly differ, and sharing them would cost more than it saves.
    Recent m_sender;
    Recent m_sign;
};
