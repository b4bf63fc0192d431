#pragma once

#include <QByteArray>
#include <QIODevice>

// A request body that can be read once and never rewound. Qt's HTTP client silently posts a
// request again when the server closes the connection before answering; with this body it
// cannot, so a send the service may already have taken is never made twice.
class OneShotBody : public QIODevice {
public:
    explicit OneShotBody(const QByteArray& data, QObject* parent = nullptr);

    bool isSequential() const override { return true; }
    bool reset() override { return false; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_position = 0;
};
