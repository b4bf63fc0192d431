#include "Sound.h"

#include "CanberraLibrary.h"

#include <QFileInfo>
#include <QMutex>

#include <condition_variable>
#include <mutex>

namespace {

QMutex g_recorderMutex;
std::function<void(const QString&)> g_recorder;

struct Completion {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
};

void onFinished(ca_context*, uint32_t, int, void* userdata) {
    auto* completion = static_cast<Completion*>(userdata);
    std::lock_guard lock(completion->mutex);
    completion->done = true;
    completion->finished.notify_all();
}

void playWithCanberra(const QString& path) {
    const CanberraLibrary* ca = CanberraLibrary::get();
    if (!ca)
        return;
    ca_context* context = nullptr;
    if (ca->contextCreate(&context) != CA_SUCCESS)
        return;
    ca_proplist* properties = nullptr;
    if (ca->proplistCreate(&properties) == CA_SUCCESS) {
        const QByteArray file = QFileInfo(path).absoluteFilePath().toLocal8Bit();
        ca->proplistSets(properties, CA_PROP_MEDIA_FILENAME, file.constData());
        ca->proplistSets(properties, CA_PROP_MEDIA_ROLE, "event");
        ca->proplistSets(properties, CA_PROP_APPLICATION_NAME, "Varnelo");
        Completion completion;
        if (ca->contextPlayFull(context, 1, properties, onFinished, &completion) == CA_SUCCESS) {
            std::unique_lock lock(completion.mutex);
            // A sound that never reports its end must not hang the caller for good.
            completion.finished.wait_for(lock, std::chrono::minutes(2),
                                         [&completion] { return completion.done; });
            if (!completion.done)
                ca->contextCancel(context, 1);
        }
        ca->proplistDestroy(properties);
    }
    ca->contextDestroy(context);
}

} // namespace

namespace Sound {

void playFile(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    {
        QMutexLocker lock(&g_recorderMutex);
        if (g_recorder) {
            g_recorder(path);
            return;
        }
    }
    playWithCanberra(path);
}

void setPlayerForTests(std::function<void(const QString&)> recorder) {
    QMutexLocker lock(&g_recorderMutex);
    g_recorder = std::move(recorder);
}

} // namespace Sound
