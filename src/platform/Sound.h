#pragma once

#include <QString>

#include <functional>

// WAV playback by file name, as the sound settings name them.
namespace Sound {

// Plays the file when the path is not empty and the file exists, and returns when the sound
// has ended. Every failure (no sound device, not a WAV file) is swallowed.
void playFile(const QString& path);

// Tests record what would be played instead of playing it; an empty function restores
// real playback. The recorder sees only paths that passed the checks above.
void setPlayerForTests(std::function<void(const QString&)> recorder);

} // namespace Sound
