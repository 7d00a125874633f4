#include "engine/PhotoTokens.h"

#include <array>
#include <string>

#include "engine/TextOps.h"
#include "platform/NameCodec.h"

namespace brindle {

namespace {

// Reads `count` digits at `at` into `value`, moving `at` past them.
bool Digits(std::string_view text, std::size_t& at, int count, int& value) {
    if (at + static_cast<std::size_t>(count) > text.size())
        return false;
    value = 0;
    for (int i = 0; i < count; ++i) {
        const char c = text[at + static_cast<std::size_t>(i)];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    at += static_cast<std::size_t>(count);
    return true;
}

bool Is(std::string_view text, std::size_t at, std::string_view any) {
    return at < text.size() && any.find(text[at]) != std::string_view::npos;
}

bool LeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysIn(std::int64_t year, int month) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && LeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// "+02:00", "+0200", "-05", "Z": east of UTC in seconds; nullopt for anything else.
std::optional<std::int32_t> Offset(std::string_view text) {
    if (text == "Z")
        return 0;
    std::size_t at = 0;
    if (!Is(text, at, "+-"))
        return std::nullopt;
    const bool west = text[at++] == '-';
    int hours = 0;
    int minutes = 0;
    if (!Digits(text, at, 2, hours))
        return std::nullopt;
    if (at < text.size()) {
        if (text[at] == ':')
            ++at;
        if (!Digits(text, at, 2, minutes))
            return std::nullopt;
    }
    if (at != text.size() || hours > 23 || minutes > 59)
        return std::nullopt;
    const std::int32_t seconds = hours * 3600 + minutes * 60;
    return west ? -seconds : seconds;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\0'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.remove_suffix(1);
    return text;
}

std::u16string Fraction(std::string_view digits) {
    std::u16string fraction;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return {};
        fraction += static_cast<char16_t>(c);
    }
    return fraction;
}

std::optional<std::u16string> NoArgument(std::optional<std::u16string_view> argument) {
    if (argument)
        return std::u16string(u"takes no argument");
    return std::nullopt;
}

void NeedsPhoto(std::u16string_view, HeldFactsNeeds& needs) {
    needs.photo = true;
}

NameToken CameraToken(std::u16string name) {
    std::string key = EncodeName(name);
    return {std::move(name), NoArgument,
            [key](const ItemFacts& item, std::u16string_view, std::u16string& out) {
                static const HeldFactsNeeds kPhoto{true, false, {}};
                const std::u16string* value = item.held(kPhoto).Find(key);
                if (value == nullptr || value->empty())
                    return false;
                out += *value;
                return true;
            },
            false, NeedsPhoto};
}

}  // namespace

std::optional<DateValue> TakenDate(const HeldFacts& facts) {
    const std::string_view text = Trimmed(facts.taken);
    DateValue date;
    std::size_t at = 0;
    int year = 0;
    if (!Digits(text, at, 4, year) || !Is(text, at, ":-") || !Digits(text, ++at, 2, date.month) ||
        !Is(text, at, ":-") || !Digits(text, ++at, 2, date.day))
        return std::nullopt;
    date.year = year;
    std::string_view zone;
    if (at < text.size()) {
        if (!Is(text, at, " T") || !Digits(text, ++at, 2, date.hour) || !Is(text, at, ":") ||
            !Digits(text, ++at, 2, date.minute))
            return std::nullopt;
        if (Is(text, at, ":") && !Digits(text, ++at, 2, date.second))
            return std::nullopt;
        if (Is(text, at, ".")) {
            const std::size_t begin = ++at;
            while (at < text.size() && text[at] >= '0' && text[at] <= '9')
                ++at;
            date.fraction = Fraction(text.substr(begin, at - begin));
            if (date.fraction.empty())
                return std::nullopt;
        }
        zone = text.substr(at);
    }
    if (year == 0 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > DaysIn(year, date.month) || date.hour > 23 || date.minute > 59 ||
        date.second > 60)
        return std::nullopt;
    // A leap second is shown as the last second of its minute.
    if (date.second == 60)
        date.second = 59;
    if (!zone.empty()) {
        date.offsetSeconds = Offset(zone);
        if (!date.offsetSeconds)
            return std::nullopt;
    } else if (const std::string_view offset = Trimmed(facts.takenOffset); !offset.empty()) {
        // An offset the file writes badly is left out rather than guessed.
        date.offsetSeconds = Offset(offset);
    }
    if (date.fraction.empty())
        date.fraction = Fraction(Trimmed(facts.takenSubSeconds));
    return date;
}

bool IsPhotoKey(std::u16string_view key) {
    std::size_t family = 0;
    if (key.starts_with(u"Exif."))
        family = 5;
    else if (key.starts_with(u"Iptc."))
        family = 5;
    else if (key.starts_with(u"Xmp."))
        family = 4;
    else
        return false;
    int parts = 1;
    bool partEmpty = true;
    for (std::size_t i = family; i < key.size(); ++i) {
        const char16_t c = key[i];
        if (c == u'.') {
            if (partEmpty)
                return false;
            ++parts;
            partEmpty = true;
        } else if (IsAsciiLower(c) || IsAsciiUpper(c) || (c >= u'0' && c <= u'9') || c == u'_' ||
                   c == u'-') {
            partEmpty = false;
        } else {
            return false;
        }
    }
    return !partEmpty && parts >= 2;
}

std::vector<NameToken> PhotoTokens() {
    std::vector<NameToken> tokens;
    tokens.push_back(
        {u"taken",
         [](std::optional<std::u16string_view> format) -> std::optional<std::u16string> {
             if (!format)
                 return std::nullopt;
             return DateFormatMistake(*format);
         },
         [](const ItemFacts& item, std::u16string_view format, std::u16string& out) {
             static const HeldFactsNeeds kPhoto{true, false, {}};
             const std::optional<DateValue> date = TakenDate(item.held(kPhoto));
             if (!date)
                 return false;
             AppendDate(*date, format, out);
             return true;
         },
         false, NeedsPhoto});
    for (const char16_t* name :
         {u"exif.make", u"exif.model", u"exif.lens", u"exif.iso", u"exif.fnumber", u"exif.exposure",
          u"exif.focal", u"exif.width", u"exif.height"}) {
        tokens.push_back(CameraToken(name));
    }
    tokens.push_back(
        {u"exif",
         [](std::optional<std::u16string_view> key) -> std::optional<std::u16string> {
             if (!key || key->empty())
                 return std::u16string(u"needs a key after ':', such as Exif.Photo.LensModel");
             if (!IsPhotoKey(*key))
                 return u"has " + std::u16string(*key) +
                        u", which is no Exif, IPTC or XMP key (such as Exif.Photo.LensModel)";
             return std::nullopt;
         },
         [](const ItemFacts& item, std::u16string_view key, std::u16string& out) {
             HeldFactsNeeds needs;
             needs.photoKeys.push_back(EncodeName(key));
             const std::u16string* value = item.held(needs).Find(needs.photoKeys.front());
             if (value == nullptr || value->empty())
                 return false;
             out += *value;
             return true;
         },
         false,
         [](std::u16string_view key, HeldFactsNeeds& needs) {
             needs.photoKeys.push_back(EncodeName(key));
         }});
    return tokens;
}

}  // namespace brindle
