#include "platform/SharedLibrary.h"

#include <dlfcn.h>

namespace brindle {

void* LoadLibrarySymbol(const char* fileName, const char* symbol) {
    // The handle is deliberately never closed.
    void* library = dlopen(fileName, RTLD_NOW);
    if (!library)
        return nullptr;
    dlerror();
    void* address = dlsym(library, symbol);
    if (dlerror() != nullptr)
        return nullptr;
    return address;
}

}  // namespace brindle
