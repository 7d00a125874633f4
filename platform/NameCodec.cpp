#include "platform/NameCodec.h"

#include <cstdint>
#include <type_traits>

namespace brindle {
namespace {

constexpr char32_t kEscapeBase = 0xDC00;  // byte 0x80..0xFF -> U+DC80..U+DCFF

bool IsEscape(char16_t unit) {
    return unit >= 0xDC80 && unit <= 0xDCFF;
}
bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Length of the strict UTF-8 sequence starting at `pos` and its code point, or 0 when
// the bytes there are no valid sequence (overlong, encoded surrogate, above U+10FFFF,
// truncated, stray continuation).
std::size_t DecodeOne(std::string_view bytes, std::size_t pos, char32_t& code) {
    const auto byteAt = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    const std::uint8_t lead = byteAt(pos);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    std::size_t length = 0;
    std::uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead == 0xE0) {
        length = 3;
        low = 0xA0;
    } else if (lead >= 0xE1 && lead <= 0xEC) {
        length = 3;
    } else if (lead == 0xED) {
        length = 3;
        high = 0x9F;
    } else if (lead >= 0xEE && lead <= 0xEF) {
        length = 3;
    } else if (lead == 0xF0) {
        length = 4;
        low = 0x90;
    } else if (lead >= 0xF1 && lead <= 0xF3) {
        length = 4;
    } else if (lead == 0xF4) {
        length = 4;
        high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() - pos < length)
        return 0;
    const std::uint8_t second = byteAt(pos + 1);
    if (second < low || second > high)
        return 0;
    char32_t value = lead & (0xFF >> (length + 1));
    value = (value << 6) | (second & 0x3F);
    for (std::size_t i = 2; i < length; ++i) {
        const std::uint8_t next = byteAt(pos + i);
        if ((next & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (next & 0x3F);
    }
    code = value;
    return length;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

template <typename Unit>
bool AllAscii(const Unit* units, std::size_t size) {
    using Unsigned = std::make_unsigned_t<Unit>;
    Unsigned seen = 0;
    for (std::size_t i = 0; i < size; ++i)
        seen = static_cast<Unsigned>(seen | static_cast<Unsigned>(units[i]));
    return seen < 0x80;
}

}  // namespace

std::u16string DecodeName(std::string_view bytes) {
    std::u16string name;
    DecodeNameInto(bytes, name);
    return name;
}

void DecodeNameInto(std::string_view bytes, std::u16string& name) {
    // Never more units than bytes: room for all, then cut to what was written.
    name.resize(bytes.size());
    name.resize(DecodeNameTo(bytes, name.data()));
}

std::size_t DecodeNameTo(std::string_view bytes, char16_t* out) {
    // Most names are plain ASCII: each byte is its own character.
    if (AllAscii(bytes.data(), bytes.size())) {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            out[i] = static_cast<std::uint8_t>(bytes[i]);
        return bytes.size();
    }
    char16_t* at = out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        char32_t code = 0;
        const std::size_t length = DecodeOne(bytes, pos, code);
        if (length == 0) {
            // Only bytes 0x80..0xFF can fail, so the escape stays within U+DC80..U+DCFF.
            *at++ = static_cast<char16_t>(kEscapeBase + static_cast<std::uint8_t>(bytes[pos]));
            ++pos;
        } else if (code < 0x10000) {
            *at++ = static_cast<char16_t>(code);
            pos += length;
        } else {
            // Four bytes make two units.
            code -= 0x10000;
            *at++ = static_cast<char16_t>(0xD800 + (code >> 10));
            *at++ = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
            pos += length;
        }
    }
    return static_cast<std::size_t>(at - out);
}

std::string EncodeName(std::u16string_view name) {
    std::string bytes;
    EncodeNameInto(name, bytes);
    return bytes;
}

void EncodeNameInto(std::u16string_view name, std::string& bytes) {
    if (AllAscii(name.data(), name.size())) {
        bytes.resize(name.size());
        for (std::size_t i = 0; i < name.size(); ++i)
            bytes[i] = static_cast<char>(name[i]);
        return;
    }
    bytes.clear();
    bytes.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i];
        if (IsHighSurrogate(unit) && i + 1 < name.size() && IsLowSurrogate(name[i + 1])) {
            const char32_t code =
                0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (name[i + 1] - 0xDC00);
            AppendUtf8(bytes, code);
            ++i;
        } else if (IsEscape(unit)) {
            bytes.push_back(static_cast<char>(unit - kEscapeBase));
        } else {
            // Everything else, a lone surrogate included, in its (generalised) UTF-8 form.
            AppendUtf8(bytes, unit);
        }
    }
}

bool IsValidName16(std::u16string_view name) {
    if (AllAscii(name.data(), name.size()))
        return true;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i];
        if (IsHighSurrogate(unit)) {
            if (i + 1 >= name.size() || !IsLowSurrogate(name[i + 1]))
                return false;
            ++i;
        } else if (IsLowSurrogate(unit) && !IsEscape(unit)) {
            return false;
        }
    }
    return true;
}

bool IsValidUtf8(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        char32_t code = 0;
        const std::size_t length = DecodeOne(bytes, pos, code);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

std::u16string DecodeTextLine(std::string_view bytes) {
    if (IsValidUtf8(bytes))
        return DecodeName(bytes);
    std::u16string line;
    line.reserve(bytes.size());
    for (char byte : bytes)
        line.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(byte)));
    return line;
}

}  // namespace brindle
