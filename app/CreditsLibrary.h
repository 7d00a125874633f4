#pragma once

#include <string>

#include "credits/KelvaneU.h"

namespace brindle {

// The about text: the version line, a line feed, and the years and the maker.
std::u16string AboutText();

// The credits library, bound at run time. It is loaded by bare file name, so the program's
// run path ($ORIGIN) finds the copy beside the program first, and it is never unloaded:
// the export stays valid for the whole run. The program ends with status 1 when
// IsLoaded() is false.
class CreditsLibrary {
public:
    // The names are parameters only so that tests can ask for missing ones.
    explicit CreditsLibrary(const char* fileName = kelvaneu::kLibraryFileName,
                            const char* exportName = kelvaneu::kAboutBoxName);

    bool IsLoaded() const { return aboutBox_ != nullptr; }

    // Shows the about box; true when it closed as OK. False when the library is not loaded.
    bool ShowAbout(const std::u16string& text) const;

private:
    kelvaneu::AboutBoxFunction aboutBox_ = nullptr;
};

}  // namespace brindle
