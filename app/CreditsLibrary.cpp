#include "app/CreditsLibrary.h"

#include "platform/SharedLibrary.h"

namespace brindle {

std::u16string AboutText() {
    return u"Brindle Version 3.7.0\n\u00A9 2002-2005 Kelvane";
}

CreditsLibrary::CreditsLibrary(const char* fileName, const char* exportName) {
    if (void* address = LoadLibrarySymbol(fileName, exportName, &error_))
        aboutBox_ = reinterpret_cast<kelvaneu::AboutBoxFunction>(address);
}

bool CreditsLibrary::ShowAbout(const std::u16string& text) const {
    return aboutBox_ && aboutBox_(text.c_str());
}

}  // namespace brindle
