#pragma once

#include <QByteArray>

// The layouts History.dat has had. Only the current one is written; the others are read once
// by the conversion at start-up.
enum class HistoryFormat {
    V22,       // "Varnelo History v2.2": Text, Sender and Sign with 16-bit lengths
    V21,       // "Varnelo History v2.1": Text and Sender
    V20,       // "Varnelo History v2.0": Text only
    Headerless // 288-byte records from byte 0
};

namespace HistoryLayout {

inline constexpr int kHeaderSize = 20;
inline const QByteArray kV22 = QByteArrayLiteral("Varnelo History v2.2");
inline const QByteArray kV21 = QByteArrayLiteral("Varnelo History v2.1");
inline const QByteArray kV20 = QByteArrayLiteral("Varnelo History v2.0");

// Sizes of the record parts shared by every version.
inline constexpr int kFixedBlock = 40;
inline constexpr int kMaxNumber = 14;
inline constexpr int kMaxField = 0xFFFF; // a 16-bit length
inline constexpr int kHeaderlessRecord = 288;
inline constexpr int kHeaderlessText = 240;

} // namespace HistoryLayout
