#pragma once

#include "StoredValueCipher.h"

#include <QString>

#include <limits>
#include <optional>

class Registry;

// Every value of the settings key once: its stored name, type and the default its readers
// use when it is missing or of another type; for a protected value the key it is enciphered
// with, for an integer the range the program can use.
namespace Setting {

struct Str {
    const char* name;
    const char* fallback;
    const char* cipherKey = nullptr; // set: never stored in plain
};
struct Int {
    const char* name;
    qint32 fallback;
    // The dialog stores whatever number is typed; the command line refuses what lies outside.
    qint32 minimum = std::numeric_limits<qint32>::min();
    qint32 maximum = std::numeric_limits<qint32>::max();
};
struct Bool {
    const char* name;
    bool fallback;
};

inline constexpr Str Host{"Host", ""};
inline constexpr Int Port{"Port", 3000, 1, 65535};
inline constexpr Bool UseIESettings{"UseIESettings", false};
inline constexpr Bool UseProxy{"UseProxy", false};
inline constexpr Str ProxyServer{"ProxyServer", ""};
inline constexpr Int ProxyPort{"ProxyPort", 0, 0, 65535}; // 0 until a proxy is set
inline constexpr Bool ProxyAuthentication{"ProxyAuthentication", false};
inline constexpr Str ProxyUserName{"ProxyUserName", ""};
inline constexpr Str ProxyPassword{"ProxyPassword", "", StoredValueCipher::kProxyPasswordKey};
inline constexpr Str TimeFormat{"TimeFormat", ""};
inline constexpr Bool ShowSplash{"ShowSplash", true};
inline constexpr Str SoundConnectOK{"SoundConnectOK", ""};
inline constexpr Str SoundConnectErr{"SoundConnectErr", ""};
inline constexpr Str SoundSentOK{"SoundSentOK", ""};
inline constexpr Str SoundSentErr{"SoundSentErr", ""};
inline constexpr Bool UseBalloonTips{"UseBalloonTips", true};
inline constexpr Bool MinimizeSendWindow{"MinimizeSendWindow", false};
inline constexpr Bool UseAlphaBlend{"UseAlphaBlend", false};
inline constexpr Int AlphaBlendValue{"AlphaBlendValue", 200};
inline constexpr Bool TransparentOnlyInActive{"TransparentOnlyInActive", false};
inline constexpr Bool SlowHideOnClose{"SlowHideOnClose", false};
inline constexpr Bool ShowBalance{"ShowBalance", true};
inline constexpr Bool MenuWithGroup{"MenuWithGroup", true};
inline constexpr Int HistoryMessCount{"HistoryMessCount", 3000};
inline constexpr Str Theme{"Theme", "Default.skn"};
inline constexpr Bool StayOnTop{"StayOnTop", false};
inline constexpr Int Left{"Left", 248};
inline constexpr Int Top{"Top", 111};
inline constexpr Int Height{"Height", 387};
inline constexpr Int HideTime{"HideTime", 1000};
inline constexpr Int ShowTime{"ShowTime", 300};
inline constexpr Int NotCheckTextLength{"NotCheckTextLength", 0};
inline constexpr Bool CanUseStatus{"CanUseStatus", false};
inline constexpr Bool TimeStamp{"TimeStamp", false};

// A value of the table as seen by a caller that meets it by its name (the command line).
struct Entry {
    enum class Type { String, Integer, Flag }; // a flag is stored as an integer, 0 or 1
    const char* name;
    Type type;
    const char* cipherKey = nullptr; // strings only
    qint32 minimum = std::numeric_limits<qint32>::min();
    qint32 maximum = std::numeric_limits<qint32>::max();
    constexpr Entry(Str setting)
        : name(setting.name)
        , type(Type::String)
        , cipherKey(setting.cipherKey) {}
    constexpr Entry(Int setting)
        : name(setting.name)
        , type(Type::Integer)
        , minimum(setting.minimum)
        , maximum(setting.maximum) {}
    constexpr Entry(Bool setting)
        : name(setting.name)
        , type(Type::Flag) {}
    constexpr bool isProtected() const { return cipherKey != nullptr; }
    constexpr bool accepts(qint32 value) const { return value >= minimum && value <= maximum; }
};

// Every value above; a value added above belongs here too.
inline constexpr Entry kTable[] = {Host,
                                   Port,
                                   UseIESettings,
                                   UseProxy,
                                   ProxyServer,
                                   ProxyPort,
                                   ProxyAuthentication,
                                   ProxyUserName,
                                   ProxyPassword,
                                   TimeFormat,
                                   ShowSplash,
                                   SoundConnectOK,
                                   SoundConnectErr,
                                   SoundSentOK,
                                   SoundSentErr,
                                   UseBalloonTips,
                                   MinimizeSendWindow,
                                   UseAlphaBlend,
                                   AlphaBlendValue,
                                   TransparentOnlyInActive,
                                   SlowHideOnClose,
                                   ShowBalance,
                                   MenuWithGroup,
                                   HistoryMessCount,
                                   Theme,
                                   StayOnTop,
                                   Left,
                                   Top,
                                   Height,
                                   HideTime,
                                   ShowTime,
                                   NotCheckTextLength,
                                   CanUseStatus,
                                   TimeStamp};

// The table's value of that name, matched as the store matches names; nothing when the
// table has no such value.
std::optional<Entry> byName(const QString& name);

} // namespace Setting

// Typed access to the settings key (the root of the store). Values are read when needed, so
// a change takes effect at its next use. Writes throw RegistryError.
class Settings {
public:
    // Where a fresh profile sends its requests: the local sandbox service.
    static inline const QString kDefaultHost = QStringLiteral("localhost");
    static constexpr qint32 kDefaultPort = 3000;
    static inline const QString kFirstStartTimeFormat = QStringLiteral("<DD.MM.YY HH:NN>");
    static inline const QString kDialogTimeFormat = QStringLiteral("<DD.MM.YY HH:MM>");

    explicit Settings(Registry& registry);
    Registry& registry() const { return m_registry; }

    // Missing or mistyped: the table's default. A protected value is deciphered on reading
    // and enciphered on writing; a stored text that does not decipher reads as empty.
    QString get(Setting::Str setting) const;
    qint32 get(Setting::Int setting) const;
    bool get(Setting::Bool setting) const;

    // Missing or mistyped: nothing. For readers whose failure means something.
    std::optional<qint32> find(Setting::Int setting) const;
    std::optional<bool> find(Setting::Bool setting) const;

    void set(Setting::Str setting, const QString& value);
    void set(Setting::Int setting, qint32 value);
    void set(Setting::Bool setting, bool value);

    // Values with a reader rule of their own.
    QString theme() const;               // empty → "Default.skn"
    qint32 historyMessCount() const;     // missing, 0 or negative → 3000
    qint32 alphaBlendValue() const;      // clamped to 0..255
    qint32 hideTime();                   // writes the default back when missing
    qint32 showTime();                   // likewise
    bool showSplash();                   // likewise
    bool checkTextLength() const;        // off while NotCheckTextLength exists as an integer
    QString timeFormatForDialog() const; // empty → "<DD.MM.YY HH:MM>"

    // A string value met by its name (the command line), read and written as get() and set()
    // do; missing or not a string reads as nothing.
    std::optional<QString> findText(const Setting::Entry& setting) const;
    void setText(const Setting::Entry& setting, const QString& value);

    QString proxyPassword() const { return get(Setting::ProxyPassword); }
    void setProxyPassword(const QString& password) { set(Setting::ProxyPassword, password); }

    // The default (unnamed) value: the account key, in plain or protected.
    QString storedUserKey() const;
    void setStoredUserKey(const QString& value);

    // The live server address, read in one step; nothing when Port is missing or not an
    // integer, which is the sign of a first start.
    struct ServerAddress {
        QString host;
        qint32 port = kDefaultPort;
    };
    std::optional<ServerAddress> serverAddress() const;

    // Writes the 25 first-start values in their order, as one batch.
    struct WindowPlace {
        qint32 left = 248;
        qint32 top = 111;
        qint32 height = 387;
    };
    ServerAddress runFirstStart(const WindowPlace& place);

private:
    Registry& m_registry;
};
