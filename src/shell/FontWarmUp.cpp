#include "FontWarmUp.h"

#include <QThread>

#include <fontconfig/fontconfig.h>

FontWarmUp::FontWarmUp()
    // Whoever comes second finds the configuration loaded; the toolkit's own call must not
    // come while this one runs, or both would load it.
    : m_thread(QThread::create([] { FcInit(); })) {
    m_thread->start();
}

FontWarmUp::~FontWarmUp() {
    m_thread->wait();
}
