#pragma once

#include <memory>

class QThread;

// Loads the system's font configuration on a thread of its own while the toolkit starts:
// otherwise the first text a window measures waits for it on the UI thread. A plain thread
// that is waited for rather than a worker with a callback: it starts before the application
// object, and the start must know it has ended before the first text is drawn.
class FontWarmUp {
public:
    // Starts loading at once.
    FontWarmUp();
    // Waits for the load.
    ~FontWarmUp();

    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

private:
    std::unique_ptr<QThread> m_thread;
};
