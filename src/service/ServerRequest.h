#pragma once

#include "shared/Settings.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The one exchange with the service (ServiceClient reaches it for every command): the request
// text goes out as the Base64 of its code-page-1251 bytes, the reply text comes back.
// Blocking; callable from any thread but the user-interface thread. Failures of the transport
// throw ServiceError.

// The two ways to the service, chosen by the setting UseIESettings.
enum class TransportPath {
    Direct,         // our own HTTP client with the program's proxy settings
    SystemSettings, // the desktop's proxy settings and a browser's way of posting
};

struct RequestOptions {
    // Longest silence of the peer; 0 waits for data without limit.
    int readTimeoutMs = 0;
    // Longest the whole exchange may take; 0 waits without limit. Left out, the client applies
    // the cap of the path the request takes.
    std::optional<int> overallCapMs;
};

// Reads UseIESettings; a missing or mistyped value throws ServiceError.
TransportPath TransportPathOf(const Settings& settings);

// With everything it reads given: the proxy settings and the service's address.
QString ServerRequest(const Settings& settings, const Settings::ServerAddress& address,
                      const QString& request, const RequestOptions& options, TransportPath path);

// The text without any field separator 0x01.
QString StripFieldSeparators(const QString& text);

// A line form-encoded as the direct path posts it: the part after the first "=" is
// percent-encoded (letters and digits stay, a blank becomes "+"), the part before it stays.
QByteArray FormLine(const QByteArray& line);

// The reply text inside the markup that a browser would hand over: tags dropped, control
// characters trimmed, the notice mark kept.
QByteArray CleanBrowserReply(const QByteArray& document);
