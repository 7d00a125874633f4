#pragma once

#include <string>

#include "credits/KelvaneU.h"

namespace brindle {

// The about text: the version line, a line feed, and the years and the maker.
std::u16string AboutText();

// The credits library, bound at run time. It is loaded by bare file name, so the program's
// run path ($ORIGIN) finds the copy beside the program first, and it is never unloaded:
// the export stays valid for the whole run. The program ends with status 1 when
// IsLoaded() is false, with error() on standard error.
class CreditsLibrary {
public:
    // The names are parameters only so that tests can ask for missing ones.
    explicit CreditsLibrary(const char* fileName = kelvaneu::kLibraryFileName,
                            const char* exportName = kelvaneu::kAboutBoxName);

    bool IsLoaded() const { return aboutBox_ != nullptr; }
    // Why it is not loaded, in the loader's words (dlerror); empty when it is.
    const std::string& error() const { return error_; }

    // Shows the about box; true when it closed as OK. False when the library is not loaded.
    bool ShowAbout(const std::u16string& text) const;

private:
    kelvaneu::AboutBoxFunction aboutBox_ = nullptr;
    std::string error_;
};

}  // namespace brindle
