#pragma once

#include <QString>

#include <functional>

class QWidget;

// Runs one blocking exchange with the service on a worker thread while `dialog` keeps
// painting with its input blocked (disabled, wait cursor), and returns the reply. An error
// of the exchange is raised again here, on the calling (user-interface) thread.
QString WaitForServer(QWidget* dialog, const std::function<QString()>& exchange);
