#pragma once

#include <thread>

// Loads the system's font configuration on a thread of its own while the toolkit starts:
// otherwise the first text a window measures waits for it on the UI thread.
class FontWarmUp {
public:
    // Starts loading at once.
    FontWarmUp();
    // Waits for the load.
    ~FontWarmUp();

    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

private:
    std::thread m_thread;
};
