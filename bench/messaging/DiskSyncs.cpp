#include "DiskSyncs.h"

#include <QDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>

#include <dlfcn.h>
#include <unistd.h>

namespace {

// Plain atomics: the calls come from any thread, and may come before main() or after it.
std::atomic<qint64> g_count[DiskSyncs::kKinds];
std::atomic<qint64> g_nanoseconds[DiskSyncs::kKinds];
std::string g_storeFolder;
std::string g_historyFolder;

DiskSyncs::Kind kindOf(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096];
    const ssize_t length = readlink(link, target, sizeof target - 1);
    if (length <= 0)
        return DiskSyncs::Other;
    const std::string path(target, size_t(length));
    if (!g_storeFolder.empty() && path.starts_with(g_storeFolder))
        return DiskSyncs::Store;
    if (!g_historyFolder.empty() && path.starts_with(g_historyFolder))
        return DiskSyncs::History;
    return DiskSyncs::Other;
}

int timed(const char* name, int fd) {
    using Call = int (*)(int);
    const auto real = reinterpret_cast<Call>(dlsym(RTLD_NEXT, name));
    const auto start = std::chrono::steady_clock::now();
    const int result = real(fd);
    const auto spent = std::chrono::steady_clock::now() - start;
    const DiskSyncs::Kind kind = kindOf(fd);
    ++g_count[kind];
    g_nanoseconds[kind] += std::chrono::duration_cast<std::chrono::nanoseconds>(spent).count();
    return result;
}

} // namespace

extern "C" int fsync(int fd) {
    return timed("fsync", fd);
}

extern "C" int fdatasync(int fd) {
    return timed("fdatasync", fd);
}

namespace DiskSyncs {

Figures Figures::operator-(const Figures& earlier) const {
    Figures difference;
    for (int kind = 0; kind < kKinds; ++kind) {
        difference.count[kind] = count[kind] - earlier.count[kind];
        difference.nanoseconds[kind] = nanoseconds[kind] - earlier.nanoseconds[kind];
    }
    return difference;
}

void watch(const QString& storeFolder, const QString& historyFolder) {
    // The links in /proc name the files by their real paths.
    const auto real = [](const QString& folder) {
        const QString canonical = QDir(folder).canonicalPath();
        return ((canonical.isEmpty() ? folder : canonical) + QLatin1Char('/')).toStdString();
    };
    g_storeFolder = real(storeFolder);
    g_historyFolder = real(historyFolder);
}

Figures now() {
    Figures figures;
    for (int kind = 0; kind < kKinds; ++kind) {
        figures.count[kind] = g_count[kind].load();
        figures.nanoseconds[kind] = g_nanoseconds[kind].load();
    }
    return figures;
}

} // namespace DiskSyncs
