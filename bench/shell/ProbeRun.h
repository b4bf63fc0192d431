#pragma once

#include <QProcess>

// One start of a probe in its own process. The probe prints the wall-clock millisecond of its
// first frame on screen; in the staying mode it goes on running until stopped.
class ProbeRun {
public:
    enum class Mode { Timing, Stay };

    ProbeRun(const QString& program, const QProcessEnvironment& environment, Mode mode);
    ~ProbeRun();
    ProbeRun(const ProbeRun&) = delete;
    ProbeRun& operator=(const ProbeRun&) = delete;

    // Milliseconds from the start to the first frame on screen; -1 when the probe never
    // printed within `timeoutMs` (it is then stopped).
    qint64 waitShown(int timeoutMs = 30000);
    qint64 processId() const { return m_process.processId(); }
    // Kills the process and waits until it is gone, so that the next start finds no copy
    // of the program running.
    void stop();

private:
    QProcess m_process;
    qint64 m_startedMs = 0;
};
