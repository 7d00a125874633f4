#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brindle {

// Names are UTF-16 inside the program and bytes on disk. Decoding is UTF-8 where the
// bytes are valid UTF-8; each byte that is not part of valid UTF-8 becomes U+DC80 + the
// byte, and encoding writes such a character back as that byte, so every byte string
// survives DecodeName -> EncodeName exactly.
std::u16string DecodeName(std::string_view bytes);
// The same into `name`, reusing its room.
void DecodeNameInto(std::string_view bytes, std::u16string& name);
// The same into `out`, which has room for `bytes.size()` units (a name never decodes to
// more units than it has bytes); the units written.
std::size_t DecodeNameTo(std::string_view bytes, char16_t* out);

// Inverse of DecodeName. An unpaired surrogate that is not a byte escape cannot be a
// name; it is written in the generalised 3-byte form so that nothing is lost in text
// (IsValidName16 tells such names apart).
std::string EncodeName(std::u16string_view name);
// The same into `bytes`, reusing its room.
void EncodeNameInto(std::u16string_view name, std::string& bytes);

// False when the name holds an unpaired surrogate other than the byte escapes.
bool IsValidName16(std::u16string_view name);

bool IsValidUtf8(std::string_view bytes);

// A line of a text file: UTF-8 when the whole line is valid UTF-8, otherwise each byte
// is the character of the same code (so 8-bit files still read).
std::u16string DecodeTextLine(std::string_view bytes);

}  // namespace brindle
