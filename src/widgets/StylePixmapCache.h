#pragma once

// Qt's pixmap cache keeps what the style draws (button faces, header sections, scroll bars)
// under names made of size, state and palette. Our skinned pages and dialogs each get
// palettes of their own, so every page adds names no later page asks for. The Qt we ship on
// keeps the name of every pixmap it has ever held, also after letting the pixmap go and after
// clear(): about 200 bytes a name, some 1.3 MB an hour of sends under any cap. With no room
// the cache takes nothing, so no name stays, and the style draws its small pixmaps afresh:
// opening, drawing and closing 400 pages took 2.0 ms a page either way, a repaint of the send
// window 0.24 ms.
namespace StylePixmapCache {

// The cap, in kilobytes: none.
constexpr int kLimitKb = 0;

// Sets the cap; called once, before the program's windows are made.
void bound();

} // namespace StylePixmapCache
