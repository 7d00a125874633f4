#include "platform/SharedLibrary.h"

#include <dlfcn.h>

namespace brindle {

namespace {

void* Failed(std::string* error) {
    if (error) {
        const char* reason = dlerror();
        *error = reason ? reason : "unknown error";
    }
    return nullptr;
}

}  // namespace

void* LoadLibrarySymbol(const char* fileName, const char* symbol, std::string* error) {
    // The handle is deliberately never closed.
    void* library = dlopen(fileName, RTLD_NOW);
    if (!library)
        return Failed(error);
    dlerror();
    void* address = dlsym(library, symbol);
    // A symbol may be null itself; only dlerror tells a missing one.
    if (const char* reason = dlerror(); reason != nullptr) {
        if (error)
            *error = reason;
        return nullptr;
    }
    if (!address && error)
        *error = std::string(symbol) + ": null address";
    return address;
}

}  // namespace brindle
