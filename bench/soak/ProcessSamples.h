#pragma once

#include <QtGlobal>

// One look at this process's resources, as the kernel reports them in /proc/self, the
// allocator in mallinfo2 and Qt in its list of widgets.
struct ProcessSample {
    qint64 atMs = 0;    // since the soak began
    qint64 rssKb = -1;  // VmRSS
    qint64 anonKb = -1; // RssAnon: the heaps and stacks, apart from mapped files
    // What the program holds allocated (mallinfo2: in use in every arena, and the blocks
    // mapped on their own), apart from what the allocator keeps freed for reuse: a climbing
    // RSS over a flat live heap is the allocator, not a leak.
    qint64 heapKb = -1;
    int threads = -1; // Threads
    int fds = -1;     // entries of /proc/self/fd
    // Every widget alive, windows and their children: closed pages and dialogs that are not
    // really deleted show here first.
    int widgets = -1;
    bool quiet = false; // no send, status query or varnelo-cli run was in flight

    static ProcessSample take(qint64 atMs, bool quiet);
    bool valid() const { return rssKb >= 0 && threads >= 0 && fds >= 0; }
};
