#pragma once

#include "service/LoginRoutine.h"

#include <QMutex>
#include <QStringList>

// What the main window was asked to do, one line per request, in order: the outcomes of
// logins and the balance refreshes after paid commands.
class WindowRecord {
public:
    void add(const QString& call);
    // A login outcome as the window carries it out, sound last.
    void add(const LoginOutcome& outcome);

    QStringList calls() const;
    QStringList take();

private:
    mutable QMutex m_mutex;
    QStringList m_calls;
};
