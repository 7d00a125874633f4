#pragma once

namespace brindle {

// The address of `symbol` in the shared library `fileName`, loaded by that name (so the
// program's run path is searched) and never unloaded: the address stays valid for the
// whole run. Null when the library or the symbol cannot be found.
void* LoadLibrarySymbol(const char* fileName, const char* symbol);

}  // namespace brindle
