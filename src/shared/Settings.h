#pragma once

#include "StoredValueCipher.h"

#include <QString>

#include <limits>
#include <optional>

class Registry;

// Every value of the settings key once: its stored name, type, the default its readers use
// when it is missing or of another type, and whether the first start of a fresh profile
// writes it; for a protected value the key it is enciphered with, for an integer the range
// the program can use. Adding a value: one line here and its name in kTable below.
namespace Setting {

struct Str {
    const char* name;
    const char* fallback = "";
    // Written by the first start: this text when given, else the default.
    bool firstStart = false;
    const char* firstStartText = nullptr;
    const char* cipherKey = nullptr; // set: never stored in plain
};
struct Int {
    const char* name;
    qint32 fallback = 0;
    bool firstStart = false; // written with the default
    // The range the command line and the settings dialog accept.
    qint32 minimum = std::numeric_limits<qint32>::min();
    qint32 maximum = std::numeric_limits<qint32>::max();
};
struct Bool {
    const char* name;
    bool fallback = false;
    bool firstStart = false; // written with the default
};

// In the order the first start writes them.
inline constexpr Int Left{.name = "Left", .fallback = 248, .firstStart = true};
inline constexpr Int Height{.name = "Height", .fallback = 387, .firstStart = true};
inline constexpr Int Top{.name = "Top", .fallback = 111, .firstStart = true};
inline constexpr Bool StayOnTop{.name = "StayOnTop", .firstStart = true};
// A fresh profile sends its requests to the local sandbox service.
inline constexpr Str Host{.name = "Host", .firstStart = true, .firstStartText = "localhost"};
inline constexpr Int Port{
    .name = "Port", .fallback = 3000, .firstStart = true, .minimum = 1, .maximum = 65535};
inline constexpr Bool UseIESettings{.name = "UseIESettings", .firstStart = true};
inline constexpr Str TimeFormat{
    .name = "TimeFormat", .firstStart = true, .firstStartText = "<DD.MM.YY HH:NN>"};
inline constexpr Bool ShowSplash{.name = "ShowSplash", .fallback = true, .firstStart = true};
inline constexpr Str SoundConnectOK{.name = "SoundConnectOK", .firstStart = true};
inline constexpr Str SoundConnectErr{.name = "SoundConnectErr", .firstStart = true};
inline constexpr Str SoundSentOK{.name = "SoundSentOK", .firstStart = true};
inline constexpr Str SoundSentErr{.name = "SoundSentErr", .firstStart = true};
inline constexpr Bool UseProxy{.name = "UseProxy", .firstStart = true};
inline constexpr Bool ProxyAuthentication{.name = "ProxyAuthentication", .firstStart = true};
inline constexpr Str ProxyServer{.name = "ProxyServer", .firstStart = true};
// 0 until a proxy is set.
inline constexpr Int ProxyPort{
    .name = "ProxyPort", .fallback = 0, .firstStart = true, .minimum = 0, .maximum = 65535};
inline constexpr Str ProxyUserName{.name = "ProxyUserName", .firstStart = true};
inline constexpr Str ProxyPassword{
    .name = "ProxyPassword", .firstStart = true, .cipherKey = StoredValueCipher::kProxyPasswordKey};
inline constexpr Bool UseAlphaBlend{.name = "UseAlphaBlend", .firstStart = true};
inline constexpr Bool MenuWithGroup{.name = "MenuWithGroup", .fallback = true, .firstStart = true};
inline constexpr Int AlphaBlendValue{
    .name = "AlphaBlendValue", .fallback = 200, .firstStart = true, .minimum = 0, .maximum = 255};
// Records kept in the history; 0 reads as the default.
inline constexpr Int HistoryMessCount{.name = "HistoryMessCount",
                                      .fallback = 3000,
                                      .firstStart = true,
                                      .minimum = 0,
                                      .maximum = 10000000};
inline constexpr Str Theme{.name = "Theme", .fallback = "Default.skn", .firstStart = true};
inline constexpr Bool TimeStamp{.name = "TimeStamp", .firstStart = true};

// Missing until the settings dialog is confirmed, or their reader writes the default back.
inline constexpr Bool UseBalloonTips{.name = "UseBalloonTips", .fallback = true};
inline constexpr Bool MinimizeSendWindow{.name = "MinimizeSendWindow"};
inline constexpr Bool TransparentOnlyInActive{.name = "TransparentOnlyInActive"};
inline constexpr Bool SlowHideOnClose{.name = "SlowHideOnClose"};
inline constexpr Bool ShowBalance{.name = "ShowBalance", .fallback = true};
// A send to several numbers whose total is above this (in kopecks) asks first; 0: always.
inline constexpr Int ConfirmAboveKopecks{
    .name = "ConfirmAboveKopecks", .fallback = 5000, .minimum = 0, .maximum = 100000000};
// Where the file prompts of import and export opened a file last.
inline constexpr Str LastFolder{.name = "LastFolder"};
// Fade durations in milliseconds.
inline constexpr Int HideTime{.name = "HideTime", .fallback = 1000, .minimum = 0, .maximum = 60000};
inline constexpr Int ShowTime{.name = "ShowTime", .fallback = 300, .minimum = 0, .maximum = 60000};
// Never written by the program.
inline constexpr Int NotCheckTextLength{.name = "NotCheckTextLength"};
inline constexpr Bool CanUseStatus{.name = "CanUseStatus"};

// A value of the table as seen by a caller that meets it by its name (the command line, the
// first start).
struct Entry {
    enum class Type { String, Integer, Flag }; // a flag is stored as an integer, 0 or 1
    const char* name;
    Type type;
    const char* cipherKey = nullptr; // strings only
    qint32 minimum = std::numeric_limits<qint32>::min();
    qint32 maximum = std::numeric_limits<qint32>::max();
    bool firstStart = false;
    // What the first start writes: the text of a string, the number of an integer or flag.
    const char* firstStartText = nullptr;
    qint32 firstStartNumber = 0;
    constexpr Entry(Str setting)
        : name(setting.name)
        , type(Type::String)
        , cipherKey(setting.cipherKey)
        , firstStart(setting.firstStart)
        , firstStartText(setting.firstStartText ? setting.firstStartText : setting.fallback) {}
    constexpr Entry(Int setting)
        : name(setting.name)
        , type(Type::Integer)
        , minimum(setting.minimum)
        , maximum(setting.maximum)
        , firstStart(setting.firstStart)
        , firstStartNumber(setting.fallback) {}
    constexpr Entry(Bool setting)
        : name(setting.name)
        , type(Type::Flag)
        , firstStart(setting.firstStart)
        , firstStartNumber(setting.fallback ? 1 : 0) {}
    constexpr bool isProtected() const { return cipherKey != nullptr; }
    constexpr bool accepts(qint32 value) const { return value >= minimum && value <= maximum; }
};

// Every value above, in the same order; a value added above belongs here too.
inline constexpr Entry kTable[] = {Left,
                                   Height,
                                   Top,
                                   StayOnTop,
                                   Host,
                                   Port,
                                   UseIESettings,
                                   TimeFormat,
                                   ShowSplash,
                                   SoundConnectOK,
                                   SoundConnectErr,
                                   SoundSentOK,
                                   SoundSentErr,
                                   UseProxy,
                                   ProxyAuthentication,
                                   ProxyServer,
                                   ProxyPort,
                                   ProxyUserName,
                                   ProxyPassword,
                                   UseAlphaBlend,
                                   MenuWithGroup,
                                   AlphaBlendValue,
                                   HistoryMessCount,
                                   Theme,
                                   TimeStamp,
                                   UseBalloonTips,
                                   MinimizeSendWindow,
                                   TransparentOnlyInActive,
                                   SlowHideOnClose,
                                   ShowBalance,
                                   ConfirmAboveKopecks,
                                   LastFolder,
                                   HideTime,
                                   ShowTime,
                                   NotCheckTextLength,
                                   CanUseStatus};

// The table's value of that name, matched as the store matches names; nothing when the
// table has no such value.
std::optional<Entry> byName(const QString& name);

} // namespace Setting

// Typed access to the settings key (the root of the store). Values are read when needed, so
// a change takes effect at its next use. Writes throw RegistryError.
class Settings {
public:
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
        qint32 port = Setting::Port.fallback;
    };
    std::optional<ServerAddress> serverAddress() const;

    // Writes the table's first-start values in the table's order, as one batch; the main
    // window's place, when given, stands in for the table's. Returns the address written.
    struct WindowPlace {
        qint32 left = Setting::Left.fallback;
        qint32 top = Setting::Top.fallback;
        qint32 height = Setting::Height.fallback;
    };
    ServerAddress runFirstStart(const WindowPlace& place);

private:
    Registry& m_registry;
};
