#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "engine/DateFormat.h"
#include "engine/NameTokens.h"
#include "platform/HeldFacts.h"

namespace brindle {

// The date a photo was taken as a date, from what the file writes (HeldFacts::taken, its
// sub-seconds and offset): the camera's wall-clock time as written, never moved to another
// zone. Exif's "YYYY:MM:DD HH:MM:SS" and ISO 8601's "YYYY-MM-DDTHH:MM[:SS[.fff]][zone]" or
// "YYYY-MM-DD" are read; nullopt for anything else, a date no calendar has, or the blank
// dates some cameras write ("0000:00:00 00:00:00").
std::optional<DateValue> TakenDate(const HeldFacts& facts);

// The photo tokens, read from the file's metadata:
//   {taken}        the date taken, with an optional date format (DateFormat.h)
//   {exif.make} {exif.model} {exif.lens} {exif.iso} {exif.fnumber} {exif.exposure}
//   {exif.focal} {exif.width} {exif.height}      the camera data, as a person reads it
//   {exif:KEY}     any Exif, IPTC or XMP key by its library name, as its text
std::vector<NameToken> PhotoTokens();

// Whether `key` is spelt as the photo library's key: "Exif.", "Iptc." or "Xmp." and two
// more parts, each of letters, digits, '_' and '-'.
bool IsPhotoKey(std::u16string_view key);

}  // namespace brindle
