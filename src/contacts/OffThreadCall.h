#pragma once

#include <functional>

// Runs a blocking job (a service request) on a worker thread while the calling thread keeps
// its event loop going: windows repaint and timers fire, but user input waits until the job
// is done, so the window cannot start a second command meanwhile. Returns when the job has
// ended. The job must not touch widgets. An error thrown by the job is thrown again here, on
// the calling thread.
void RunOffThread(const std::function<void()>& job);
