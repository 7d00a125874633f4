#pragma once

#include <string>

namespace brindle {

// The address of `symbol` in the shared library `fileName`, loaded by that name (so the
// program's run path is searched) and never unloaded: the address stays valid for the
// whole run. Null when the library or the symbol cannot be found; then `error`, when
// given, holds the loader's reason (dlerror).
void* LoadLibrarySymbol(const char* fileName, const char* symbol, std::string* error = nullptr);

}  // namespace brindle
