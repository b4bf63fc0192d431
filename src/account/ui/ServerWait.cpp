#include "ServerWait.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <QWidget>

#include <exception>
#include <memory>

QString WaitForServer(QWidget* dialog, const std::function<QString()>& exchange) {
    QString reply;
    std::exception_ptr error;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            reply = exchange();
        } catch (...) {
            error = std::current_exception();
        }
    }));

    const bool wasEnabled = dialog && dialog->isEnabled();
    if (dialog)
        dialog->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);

    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    worker->start();
    loop.exec();
    worker->wait();

    QApplication::restoreOverrideCursor();
    if (dialog && wasEnabled)
        dialog->setEnabled(true);
    if (error)
        std::rethrow_exception(error);
    return reply;
}
