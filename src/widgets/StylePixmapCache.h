#pragma once

// Qt's pixmap cache keeps what the style draws (button faces, header sections, frames) by
// size, state and palette. Our skinned pages and dialogs each get palettes of their own, so
// what one page had drawn is never asked for again once it is closed; with Qt's 10 MB default
// the cache filled with them all through a working day. A small cap keeps what the windows on
// the screen use and lets the rest go.
namespace StylePixmapCache {

// The cap, in kilobytes. Qt counts every pixmap as at least 1 KB, and one costs about 2 KB of
// heap with its name, so the cap also bounds the heap. Under a 1 MB cap the style's pixmaps
// held 1.4 MB of heap after 10 minutes of sends and 1.9 MB after 30; this one fills with the
// first pages. Opening, drawing and closing 800 pages took as long with it as with 1 MB.
constexpr int kLimitKb = 256;

// Sets the cap; called once, before the program's windows are made.
void bound();

} // namespace StylePixmapCache
