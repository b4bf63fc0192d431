#pragma once

#include "messaging/SendPlan.h"

#include <QList>
#include <QString>

// A group as a large book gives it: names from none (a number the book does not hold) to a
// long double-barrelled one, and signatures as varied, so that the recipients' texts spread
// over several parts.
QList<PlanRecipient> groupRecipients(int count);

// A message with fields, and the page's signature, as a reminder to a clinic's patients.
QString groupMessage();
QString groupPageSign();
