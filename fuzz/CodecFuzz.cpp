// Every byte string must survive bytes -> UTF-16 -> bytes exactly: a name on disk that
// did not would be renamed or logged as another name.
#include <cstdlib>
#include <string_view>

#include "platform/NameCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string name = brindle::DecodeName(bytes);
    if (brindle::EncodeName(name) != bytes)
        std::abort();
    if (!brindle::IsValidName16(name))
        std::abort();

    const bool valid = brindle::IsValidUtf8(bytes);
    // Valid UTF-8 needs no byte escapes (lone U+DC80..U+DCFF, not the low half of a pair).
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        const bool paired = i > 0 && name[i - 1] >= 0xD800 && name[i - 1] <= 0xDBFF;
        const bool escape = c >= 0xDC80 && c <= 0xDCFF && !paired;
        if (valid && escape)
            std::abort();
    }
    const std::u16string line = brindle::DecodeTextLine(bytes);
    if (!valid && line.size() != size)
        std::abort();
    if (valid && line != name)
        std::abort();
    return 0;
}
