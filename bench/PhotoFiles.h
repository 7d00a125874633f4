#pragma once
// The photos of the benchmarks: small JPEGs with an Exif block, made byte by byte, the same
// bytes as bench/run makes for its photo cases (IMG_0001.JPG, ...).

#include <filesystem>
#include <string>

namespace brindle::bench {

// "IMG_0001.JPG" for number 1.
std::string PhotoName(int number);
// The date taken of photo `number` as a name shows it, "20240101_021159": every 7919
// seconds from 2024-01-01 00:00:00.
std::string PhotoStamp(int number);
// The file: SOI, APP1 "Exif" (IFD0 with Make, Model and the Exif IFD's place, the Exif
// IFD with DateTimeOriginal), then a baseline JPEG of 8x8 grey pixels.
std::string PhotoBytes(int number);
// Photos 1 to `count` in `folder`, made anew; false when one could not be written.
bool MakePhotos(const std::filesystem::path& folder, int count);

}  // namespace brindle::bench
