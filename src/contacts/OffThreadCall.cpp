#include "OffThreadCall.h"

#include <QEventLoop>
#include <QThread>

#include <memory>

void RunOffThread(const std::function<void()>& job) {
    std::unique_ptr<QThread> worker(QThread::create(job));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
}
