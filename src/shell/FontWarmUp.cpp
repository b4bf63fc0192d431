#include "FontWarmUp.h"

#include <fontconfig/fontconfig.h>

FontWarmUp::FontWarmUp()
    // Whoever comes second finds the configuration loaded; the toolkit's own call must not
    // come while this one runs, or both would load it.
    : m_thread([] { FcInit(); }) {
}

FontWarmUp::~FontWarmUp() {
    m_thread.join();
}
