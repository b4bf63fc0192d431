#pragma once

// Qt's pixmap cache keeps what the style draws (button faces, header sections, frames) by
// size, state and palette. Our skinned pages and dialogs each get palettes of their own, so
// what one page had drawn is never asked for again once it is closed; with Qt's 10 MB default
// the cache filled with them all through a working day. A small cap keeps what the windows on
// the screen use and lets the rest go.
namespace StylePixmapCache {

// The cap, in kilobytes. A 6-minute soak with it took no more processor time than with Qt's
// default, and the cache no longer grew with the pages closed.
constexpr int kLimitKb = 256;

// Sets the cap; called once, before the program's windows are made.
void bound();

} // namespace StylePixmapCache
