#pragma once

// Small photos for tests: a JPEG of one pixel built byte by byte, into which the photo
// library writes the Exif, IPTC and XMP tags a test gives.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TempFolder.h"

// The library's headers hand out std::auto_ptr, deprecated since C++11.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

namespace brindle::testing {

// The smallest JPEG the library reads and writes that still has a frame: SOI, a 1x1
// greyscale baseline frame, a scan header, EOI.
inline std::string TinyJpeg() {
    return std::string(
        "\xFF\xD8"
        "\xFF\xC0\x00\x0B\x08\x00\x01\x00\x01\x01\x01\x11\x00"
        "\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00"
        "\xFF\xD9",
        27);
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Tag {
    std::string key;
    std::string text;
    // For the tags the library has no type for by name.
    Exiv2::TypeId type = Exiv2::invalidTypeId;
};

// Has the library write the tags into the photo at `path` (Exif, IPTC or XMP by the key).
inline void WriteTags(const std::string& path, const std::vector<Tag>& tags) {
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    for (const Tag& tag : tags) {
        if (tag.key.starts_with("Exif.")) {
            const Exiv2::ExifKey key(tag.key);
            Exiv2::Value::AutoPtr value = Exiv2::Value::create(
                tag.type == Exiv2::invalidTypeId ? key.defaultTypeId() : tag.type);
            ASSERT_EQ(value->read(tag.text), 0) << tag.key;
            image->exifData().add(key, value.get());
        } else if (tag.key.starts_with("Iptc.")) {
            const Exiv2::IptcKey key(tag.key);
            Exiv2::Value::AutoPtr value =
                Exiv2::Value::create(Exiv2::IptcDataSets::dataSetType(key.tag(), key.record()));
            ASSERT_EQ(value->read(tag.text), 0) << tag.key;
            image->iptcData().add(key, value.get());
        } else {
            image->xmpData()[tag.key] = tag.text;
        }
    }
    image->writeMetadata();
}

inline std::string PhotoWith(const TempFolder& folder, const std::string& name,
                             const std::vector<Tag>& tags) {
    const std::string path = (folder.path() / name).string();
    WriteBytes(path, TinyJpeg());
    WriteTags(path, tags);
    return path;
}

}  // namespace brindle::testing

#pragma GCC diagnostic pop
