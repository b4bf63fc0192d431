#pragma once

#include "ProcessSamples.h"
#include "SandboxProcess.h"
#include "SoakCounters.h"
#include "SoakOptions.h"
#include "platform/ui/Prompts.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QStringList>

#include <memory>

class ProgramWindows;
class QProcess;
class QTimer;
class THistoryForm;
class TMainForm;
class TMySheet;
class TSendForm;

// The program's three windows in this process, made as the start makes them, against a
// sandbox service of their own, driven through their handlers as a user would for the
// length of the run: a send every 2 s, status queries, balance refreshes, settings changed
// by varnelo-cli beside it, and the service's faults armed at random before some requests.
class SoakDriver : public QObject {
    Q_OBJECT
public:
    explicit SoakDriver(const SoakOptions& options);
    ~SoakDriver() override;

    // The sandbox, the profile's settings, the windows and their first login. False with
    // `error` when any of them failed.
    bool start(QString* error);
    // The schedule until the run's time is up, then waits for what is in flight.
    void run();
    // The main window's close, as the user's: the program's closing steps.
    void closeProgram();
    // The sandbox goes; the windows stay as they are.
    void stopService() { m_sandbox.stop(); }

    const SoakCounters& counters() const { return m_counters; }
    const QList<ProcessSample>& samples() const { return m_samples; }
    const ProcessSample& endSample() const { return m_endSample; }
    qint64 elapsedMs() const { return m_clock.elapsed(); }
    // True when something was still in flight when the waiting after the run gave up.
    bool drainTimedOut() const { return m_drainTimedOut; }
    // Ids of every message the service accepted from the run's account, ascending.
    QList<qint64> acceptedIds(QString* error) const;
    // The history limit in force at the end.
    int historyLimit() const;
    QList<Prompts::Asked> prompts() const { return m_prompts; }

public slots:
    // The desktop's URL handler: the run never opens a browser.
    void openUrl(const QUrl& url);

private:
    void sendTick();
    void statusTick();
    void balanceTick();
    void cliTick();
    void sampleTick();
    void takeSampleWhenQuiet(int triesLeft);
    void armFaultMaybe(double chance);
    TMySheet* openPage(bool* group);
    TMySheet* openBookPage(bool group);
    TMySheet* repeatFromHistory();
    QString messageText();
    bool quiet() const;
    void drain();
    QTimer* every(int ms, void (SoakDriver::*tick)());

    SoakOptions m_options;
    QRandomGenerator m_random;
    SandboxProcess m_sandbox;
    QString m_key;
    QElapsedTimer m_clock;
    SoakCounters m_counters;
    QList<ProcessSample> m_samples;
    ProcessSample m_endSample;
    QList<Prompts::Asked> m_prompts;
    QList<QTimer*> m_timers;
    QProcess* m_cli = nullptr;
    QStringList m_cliArguments;
    int m_sendTicks = 0;
    int m_statusTicks = 0;
    int m_cliTicks = 0;
    bool m_drainTimedOut = false;
    bool m_running = false;

    // In the start's order, so they go in the reverse one.
    std::unique_ptr<ProgramWindows> m_windows;
    std::unique_ptr<TMainForm> m_main;
    std::unique_ptr<TSendForm> m_send;
    std::unique_ptr<THistoryForm> m_history;
};
