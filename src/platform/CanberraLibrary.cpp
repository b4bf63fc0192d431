#include "CanberraLibrary.h"

#include <dlfcn.h>

#include <optional>

namespace {

template <typename Function> bool lookUp(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

std::optional<CanberraLibrary> load() {
    // Kept loaded for the rest of the run: a sound may still be playing on another thread.
    void* handle = dlopen("libcanberra.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return std::nullopt;
    CanberraLibrary library;
    if (!lookUp(handle, "ca_context_create", library.contextCreate) ||
        !lookUp(handle, "ca_context_destroy", library.contextDestroy) ||
        !lookUp(handle, "ca_context_play_full", library.contextPlayFull) ||
        !lookUp(handle, "ca_context_cancel", library.contextCancel) ||
        !lookUp(handle, "ca_proplist_create", library.proplistCreate) ||
        !lookUp(handle, "ca_proplist_destroy", library.proplistDestroy) ||
        !lookUp(handle, "ca_proplist_sets", library.proplistSets)) {
        dlclose(handle);
        return std::nullopt;
    }
    return library;
}

} // namespace

const CanberraLibrary* CanberraLibrary::get() {
    static const std::optional<CanberraLibrary> library = load();
    return library ? &*library : nullptr;
}
