#include "OffThreadCall.h"

#include <QEventLoop>
#include <QThread>

#include <exception>
#include <memory>

void RunOffThread(const std::function<void()>& job) {
    std::exception_ptr error;
    std::unique_ptr<QThread> worker(QThread::create([&job, &error] {
        try {
            job();
        } catch (...) {
            error = std::current_exception();
        }
    }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    if (error)
        std::rethrow_exception(error);
}
