#include "engine/CounterToken.h"

#include <cstdint>
#include <optional>
#include <string>

#include "engine/IntegerText.h"

namespace brindle {

namespace {

struct CounterForm {
    std::size_t width = 0;
    std::int64_t start = 1;
    std::int64_t step = 1;
    bool perFolder = false;
};

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The form `argument` writes, or why it is none.
std::optional<CounterForm> ParseForm(std::u16string_view argument, std::u16string* why) {
    CounterForm form;
    bool hasWidth = false, hasStart = false, hasStep = false;
    const auto fail = [why](std::u16string reason) -> std::optional<CounterForm> {
        if (why != nullptr)
            *why = std::move(reason);
        return std::nullopt;
    };
    std::size_t begin = 0;
    for (;;) {
        const std::size_t comma = argument.find(u',', begin);
        const std::u16string_view part = argument.substr(
            begin, comma == std::u16string_view::npos ? argument.npos : comma - begin);
        const auto number = [&](std::u16string_view prefix, bool& seen,
                                std::int64_t& field) -> bool {
            if (part.substr(0, prefix.size()) != prefix)
                return false;
            const std::optional<std::int32_t> value = ParseInt32(part.substr(prefix.size()));
            if (!value || seen)
                return false;
            seen = true;
            field = *value;
            return true;
        };
        bool digits = !part.empty() && part.size() <= 2;
        for (const char16_t c : part)
            digits = digits && IsDigit(c);
        if (digits && !hasWidth) {
            hasWidth = true;
            form.width = static_cast<std::size_t>(*ParseInt32(part));
            if (form.width > 20)
                return fail(u"pads to at most 20 digits");
        } else if (part == u"per-folder" && !form.perFolder) {
            form.perFolder = true;
        } else if (!number(u"start=", hasStart, form.start) &&
                   !number(u"step=", hasStep, form.step)) {
            return fail(
                u"takes a width, start=INT, step=INT and per-folder, each once and "
                u"separated by ',', such as {n:3,start=10,step=5}");
        }
        if (comma == std::u16string_view::npos)
            break;
        begin = comma + 1;
    }
    if (form.step == 0)
        return fail(u"counts with a step other than 0");
    return form;
}

}  // namespace

std::vector<NameToken> CounterTokens() {
    std::vector<NameToken> tokens;
    tokens.push_back(
        {u"n",
         [](std::optional<std::u16string_view> argument) -> std::optional<std::u16string> {
             std::u16string why;
             if (argument && !ParseForm(*argument, &why))
                 return why;
             return std::nullopt;
         },
         [](const ItemFacts& item, std::u16string_view argument, std::u16string& out) {
             const CounterForm form =
                 argument.empty() ? CounterForm{} : ParseForm(argument, nullptr).value();
             const std::int64_t place =
                 form.perFolder ? item.folderPosition() : item.batchPosition();
             const std::int64_t value = form.start + form.step * (place - 1);
             const std::u16string digits =
                 DecimalText(static_cast<std::uint64_t>(value < 0 ? -value : value));
             if (value < 0)
                 out += u'-';
             if (digits.size() < form.width)
                 out.append(form.width - digits.size(), u'0');
             out += digits;
             return true;
         },
         true, nullptr});
    return tokens;
}

}  // namespace brindle
