#pragma once

#include "StartupMeasures.h"

// The figures against their budgets, a section at a time as they come in.
class StartupReport {
public:
    QString start(const StartupMeasures::StartTimes& times);
    QString memory(const StartupMeasures::ResidentSizes& sizes);
    QString idle(bool fades, int seconds, const StartupMeasures::Idle& figures);
    // The closing line: how many budgets held.
    QString summary() const;
    bool passed() const { return m_broken == 0; }

    static double median(QList<double> values);

private:
    // "(budget B)  PASS" or "FAIL" for a figure that must not exceed its budget.
    QString verdict(double value, double budget, const QString& unit = {});

    int m_judged = 0;
    int m_broken = 0;
};
