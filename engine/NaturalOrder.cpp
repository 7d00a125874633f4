#include "engine/NaturalOrder.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <numeric>

#include "engine/TextOps.h"
#include "platform/NameCodec.h"

namespace brindle {

namespace {

// Key layout. Runs alternate, so a tag only says which kind comes first and tells the end
// of a name (nothing) from a following run:
//   digit run:  kDigitRun, Count(significant digits), the digits, Count(leading zeros)
//   other run:  kTextRun, each folded code point + 1 in (extended) UTF-8, kRunEnd
// UTF-8 keeps the order of code points; the + 1 keeps every byte of a run above kRunEnd.
constexpr char kRunEnd = 0x00;
constexpr char kDigitRun = 0x01;
constexpr char kTextRun = 0x02;

// A run of other characters takes two bytes of its own and at most four per code unit
// (U+FFFF becomes the four bytes of U+10000); a digit run three of its own, one per digit,
// and eight more for each count of 255 or more. One unit alone in its run is the worst
// case: six bytes.
std::size_t KeyBytesAtMost(std::size_t units) {
    return 6 * units + 18;
}

bool IsAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

char32_t Fold(char32_t c) {
    if (IsSurrogate(c))
        return c;
    return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

// Writes a key into memory reserved beforehand (KeyBytesAtMost): the keys of a whole
// folder are made in one go, and a check per byte would cost as much as the rest.
class KeyWriter {
public:
    explicit KeyWriter(char* out) : out_(out) {}
    char* end() const { return out_; }

    void Byte(char byte) { *out_++ = byte; }

    // A count whose bytes compare as the count does: one byte below 255, else 255 and
    // eight bytes, most significant first.
    void Count(std::size_t count) {
        if (count < 0xFF) {
            Byte(static_cast<char>(count));
            return;
        }
        Byte(static_cast<char>(0xFF));
        for (int shift = 56; shift >= 0; shift -= 8)
            Byte(static_cast<char>((static_cast<std::uint64_t>(count) >> shift) & 0xFF));
    }

    // UTF-8, extended to the surrogates' values, which keeps the order of values.
    void Ordered(char32_t value) {
        if (value < 0x80) {
            Byte(static_cast<char>(value));
        } else if (value < 0x800) {
            Byte(static_cast<char>(0xC0 | (value >> 6)));
            Byte(static_cast<char>(0x80 | (value & 0x3F)));
        } else if (value < 0x10000) {
            Byte(static_cast<char>(0xE0 | (value >> 12)));
            Byte(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
            Byte(static_cast<char>(0x80 | (value & 0x3F)));
        } else {
            Byte(static_cast<char>(0xF0 | (value >> 18)));
            Byte(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
            Byte(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
            Byte(static_cast<char>(0x80 | (value & 0x3F)));
        }
    }

    void Name(std::u16string_view name) {
        const std::size_t size = name.size();
        for (std::size_t i = 0; i < size;) {
            if (IsAsciiDigit(name[i])) {
                const std::size_t start = i;
                while (i < size && name[i] == u'0')
                    ++i;
                const std::size_t zeros = i - start;
                std::size_t end = i;
                while (end < size && IsAsciiDigit(name[end]))
                    ++end;
                Byte(kDigitRun);
                Count(end - i);
                for (; i < end; ++i)
                    Byte(static_cast<char>(name[i]));
                Count(zeros);
                continue;
            }
            Byte(kTextRun);
            while (i < size && !IsAsciiDigit(name[i])) {
                const char16_t unit = name[i];
                if (unit < 0x80) {
                    Byte(static_cast<char>(AsciiToLower(unit) + 1));
                    ++i;
                } else {
                    const CodePoint c = CodePointAt(name, i);
                    Ordered(Fold(c.value) + 1);
                    i += c.units;
                }
            }
            Byte(kRunEnd);
        }
    }

private:
    char* out_;
};

int Sign(int value) {
    return (value > 0) - (value < 0);
}

int CompareBytes(std::u16string_view a, std::u16string_view b) {
    return Sign(EncodeName(a).compare(EncodeName(b)));
}

// The keys of all names in one buffer. Sorting moves small records that start with the
// first sixteen key bytes after the prefix all keys share, so most comparisons compare
// integers and touch no other memory.
class KeyedSort {
public:
    // Room for `keyBytes` in all: the memory is only reserved, and only what the keys
    // take is ever touched.
    KeyedSort(std::size_t count, std::size_t keyBytes)
        : arena_(std::make_unique_for_overwrite<char[]>(keyBytes)), room_(keyBytes) {
        records_.reserve(count);
    }

    // The next name's key: `write` gets room for `atMost` bytes and returns its end.
    template <typename Write>
    void Add(std::size_t atMost, Write write) {
        if (atMost > room_ - used_)
            std::abort();  // more keys than the room was made for: a fault of the caller
        const std::size_t begin = used_;
        used_ = static_cast<std::size_t>(write(arena_.get() + begin) - arena_.get());
        records_.push_back(Record{{0, 0}, begin, used_, records_.size()});
    }

    // `tie` orders names of equal keys (negative, zero, positive); then the given order.
    template <typename Tie>
    std::vector<std::size_t> Sort(Tie tie) {
        const std::size_t shared = SharedPrefix();
        for (Record& record : records_) {
            record.begin += shared;
            for (std::size_t word = 0; word < 2; ++word) {
                std::uint64_t head = 0;
                for (std::size_t i = 0; i < 8; ++i) {
                    const std::size_t at = record.begin + 8 * word + i;
                    const auto byte = at < record.end ? static_cast<std::uint8_t>(arena_[at]) : 0;
                    head = (head << 8) | byte;
                }
                record.head[word] = head;
            }
        }
        std::sort(records_.begin(), records_.end(), [&](const Record& x, const Record& y) {
            if (x.head[0] != y.head[0])
                return x.head[0] < y.head[0];
            if (x.head[1] != y.head[1])
                return x.head[1] < y.head[1];
            const int byKey = View(x).compare(View(y));
            if (byKey != 0)
                return byKey < 0;
            const int byTie = tie(x.index, y.index);
            return byTie != 0 ? byTie < 0 : x.index < y.index;
        });
        std::vector<std::size_t> indices;
        indices.reserve(records_.size());
        for (const Record& record : records_)
            indices.push_back(record.index);
        return indices;
    }

private:
    struct Record {
        std::uint64_t head[2];
        std::size_t begin;
        std::size_t end;
        std::size_t index;
    };

    std::string_view View(const Record& record) const {
        return std::string_view(arena_.get() + record.begin, record.end - record.begin);
    }

    std::size_t SharedPrefix() const {
        if (records_.empty())
            return 0;
        const std::string_view first = View(records_.front());
        std::size_t shared = first.size();
        for (const Record& record : records_) {
            const std::string_view key = View(record);
            const std::size_t limit = std::min(shared, key.size());
            std::size_t i = 0;
            while (i < limit && key[i] == first[i])
                ++i;
            shared = i;
        }
        return shared;
    }

    std::unique_ptr<char[]> arena_;
    std::size_t room_;
    std::size_t used_ = 0;
    std::vector<Record> records_;
};

}  // namespace

std::string NaturalSortKey(std::u16string_view name) {
    std::string key(KeyBytesAtMost(name.size()), '\0');
    KeyWriter writer(key.data());
    writer.Name(name);
    key.resize(static_cast<std::size_t>(writer.end() - key.data()));
    return key;
}

int CompareNatural(std::u16string_view a, std::u16string_view b) {
    const int byKey = Sign(NaturalSortKey(a).compare(NaturalSortKey(b)));
    return byKey != 0 ? byKey : CompareBytes(a, b);
}

std::vector<std::size_t> NameOrderIndices(const std::vector<std::u16string_view>& names,
                                          NameOrder order) {
    if (order == NameOrder::None) {
        std::vector<std::size_t> indices(names.size());
        std::iota(indices.begin(), indices.end(), std::size_t{0});
        return indices;
    }
    // Room for the longest keys the names can have (a name's bytes take at most three a
    // code unit).
    std::size_t room = 0;
    for (const std::u16string_view name : names)
        room += order == NameOrder::Natural ? KeyBytesAtMost(name.size()) : 3 * name.size();
    KeyedSort sort(names.size(), room);
    if (order == NameOrder::Bytes) {
        for (const std::u16string_view name : names) {
            const std::string bytes = EncodeName(name);
            sort.Add(bytes.size(),
                     [&](char* out) { return std::copy(bytes.begin(), bytes.end(), out); });
        }
        // Equal bytes are one name on disk: never two entries of a folder.
        return sort.Sort([](std::size_t, std::size_t) { return 0; });
    }
    for (const std::u16string_view name : names) {
        sort.Add(KeyBytesAtMost(name.size()), [&](char* out) {
            KeyWriter writer(out);
            writer.Name(name);
            return writer.end();
        });
    }
    // Equal keys are rare (names that differ in letter case only), so their bytes are
    // made only when needed.
    return sort.Sort(
        [&](std::size_t x, std::size_t y) { return CompareBytes(names[x], names[y]); });
}

void OrderFolderEntries(FolderListing& entries, NameOrder order) {
    if (order == NameOrder::None || entries.size() < 2)
        return;
    std::vector<std::u16string_view> names;
    names.reserve(entries.size());
    for (const FolderEntry& entry : entries)
        names.push_back(entry.name);
    entries.Reorder(NameOrderIndices(names, order));
}

}  // namespace brindle
