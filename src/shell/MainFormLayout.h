#pragma once

#include <QString>

// What the main window's own files share: its fixed width and the captions that its tool
// buttons and its menus both carry.
namespace MainFormLayout {

inline constexpr int kClientWidth = 204;
inline const QString kSettings = QStringLiteral("Настройка");
inline const QString kClose = QStringLiteral("Закрыть");

} // namespace MainFormLayout
