#pragma once

// The two exports of libKelvaneU.so, the credits library. Callers bind them at run time
// by name (dlopen/dlsym), so this header gives their types rather than linking to them.

#include <cstddef>

extern "C" {

// Shows the about box for a UTF-16, NUL-terminated text: its first line in black, its last
// line in grey (a text without a line feed is one line). The library copies the text.
// True when the box closed as OK, false when it closed as cancel or could not be created.
bool AboutBox(const char16_t* text);

// Shows the about box for `count` UTF-16, NUL-terminated lines: the first in black, the
// rest in grey below it. The lines stay the caller's and are read only while the box runs.
bool AboutBoxArray(const char16_t* const* lines, std::size_t count);
}

namespace kelvaneu {

using AboutBoxFunction = bool (*)(const char16_t*);
using AboutBoxArrayFunction = bool (*)(const char16_t* const*, std::size_t);

inline constexpr char kLibraryFileName[] = "libKelvaneU.so";
inline constexpr char kAboutBoxName[] = "AboutBox";
inline constexpr char kAboutBoxArrayName[] = "AboutBoxArray";

}  // namespace kelvaneu
