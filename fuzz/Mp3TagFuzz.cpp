// The tag reader on arbitrary files: no field may run past its slot.
#include <cstdlib>

#include "FuzzInput.h"
#include "engine/Mp3Tag.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static brindle::fuzz::MemoryFile file;
    const std::u16string& path = file.Write(data, size);
    brindle::CMp3Tag tag;
    if (!tag.Read(path))
        std::abort();
    if (tag.title().size() > 30 || tag.artist().size() > 30 || tag.album().size() > 30 ||
        tag.year().size() > 4)
        std::abort();
    if (tag.track() < 0 || tag.track() > 255)
        std::abort();
    return 0;
}
