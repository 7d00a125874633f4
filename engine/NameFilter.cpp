#include "engine/NameFilter.h"

#include <unicode/uchar.h>

#include <optional>

#include "engine/RegexMatching.h"
#include "engine/TextOps.h"

namespace brindle {

namespace {

char32_t Fold(char32_t c) {
    return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

// Characters (code points) in `text`; a unit that is no character counts as one.
std::size_t Characters(std::u16string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); i += CodePointAt(text, i).units)
        ++count;
    return count;
}

// A set's range, as written and folded, so that "[A-Z]" takes 'a' and "[a-z]" takes 'A'.
struct SetRange {
    char32_t low = 0;
    char32_t high = 0;
    char32_t foldedLow = 0;
    char32_t foldedHigh = 0;
};

struct GlobStep {
    enum class Kind : std::uint8_t { Char, Any, Star, Set };
    Kind kind = Kind::Char;
    bool negated = false;           // for Set
    char32_t c = 0;                 // for Char, folded
    std::uint32_t rangesBegin = 0;  // for Set: its ranges in the pattern's
    std::uint32_t rangesEnd = 0;
};

}  // namespace

struct NameFilter::Pattern {
    std::vector<GlobStep> steps;
    std::vector<SetRange> ranges;
    std::optional<CompiledRegex> regex;  // set for "re:"

    bool StepTakes(const GlobStep& step, char32_t c, char32_t folded) const {
        switch (step.kind) {
            case GlobStep::Kind::Char:
                return folded == step.c;
            case GlobStep::Kind::Any:
                return true;
            case GlobStep::Kind::Star:
                return false;
            case GlobStep::Kind::Set:
                for (std::uint32_t r = step.rangesBegin; r < step.rangesEnd; ++r) {
                    const SetRange& range = ranges[r];
                    if ((c >= range.low && c <= range.high) ||
                        (folded >= range.foldedLow && folded <= range.foldedHigh))
                        return !step.negated;
                }
                return step.negated;
        }
        return false;
    }

    // The whole name against the glob: each step but '*' takes one character; on a
    // mismatch the last '*' takes one character more and matching goes on from there,
    // which finds a match whenever there is one.
    bool GlobMatches(std::u16string_view name) const {
        constexpr std::size_t kNone = std::size_t(-1);
        std::size_t p = 0;
        std::size_t n = 0;
        std::size_t starStep = kNone;
        std::size_t starName = 0;
        while (n < name.size()) {
            if (p < steps.size() && steps[p].kind == GlobStep::Kind::Star) {
                starStep = ++p;
                starName = n;
                continue;
            }
            const CodePoint cp = CodePointAt(name, n);
            if (p < steps.size() && StepTakes(steps[p], cp.value, Fold(cp.value))) {
                ++p;
                n += cp.units;
                continue;
            }
            if (starStep == kNone)
                return false;
            starName += CodePointAt(name, starName).units;
            n = starName;
            p = starStep;
        }
        while (p < steps.size() && steps[p].kind == GlobStep::Kind::Star)
            ++p;
        return p == steps.size();
    }

    bool Matches(std::u16string_view name) const {
        if (!regex)
            return GlobMatches(name);
        // Past a limit or any other failure: no match.
        return pcre2_match_16(regex->code, RegexUnits(name), name.size(), 0, 0, regex->match,
                              regex->context) >= 0;
    }
};

namespace {

using Pattern = NameFilter::Pattern;

// Reads one glob; `first` is the number of its first character in the option's text.
std::optional<FilterError> ParseGlob(std::u16string_view part, std::size_t first,
                                     Pattern& pattern) {
    const auto errorAt = [&](std::size_t unit, std::u16string reason) {
        return FilterError{first + Characters(part.substr(0, unit)), std::move(reason)};
    };
    // The character at `at` as itself, or the one after it when it is a '\'.
    const auto literal = [&](std::size_t& at) {
        CodePoint cp = CodePointAt(part, at);
        if (cp.value == u'\\' && at + 1 < part.size()) {
            at += 1;
            cp = CodePointAt(part, at);
        }
        at += cp.units;
        return cp.value;
    };
    std::size_t i = 0;
    while (i < part.size()) {
        const char16_t c = part[i];
        GlobStep step;
        if (c == u'*') {
            ++i;
            // "**" is "*", and one star backtracks less.
            if (!pattern.steps.empty() && pattern.steps.back().kind == GlobStep::Kind::Star)
                continue;
            step.kind = GlobStep::Kind::Star;
        } else if (c == u'?') {
            ++i;
            step.kind = GlobStep::Kind::Any;
        } else if (c == u'[') {
            const std::size_t open = i;
            std::size_t j = i + 1;
            if (j < part.size() && (part[j] == u'!' || part[j] == u'^')) {
                step.negated = true;
                ++j;
            }
            step.kind = GlobStep::Kind::Set;
            step.rangesBegin = static_cast<std::uint32_t>(pattern.ranges.size());
            bool closed = false;
            for (bool firstMember = true; j < part.size(); firstMember = false) {
                if (part[j] == u']' && !firstMember) {
                    closed = true;
                    ++j;
                    break;
                }
                const std::size_t memberAt = j;
                const char32_t low = literal(j);
                char32_t high = low;
                if (j + 1 < part.size() && part[j] == u'-' && part[j + 1] != u']') {
                    ++j;
                    high = literal(j);
                    if (high < low)
                        return errorAt(memberAt, u"the range runs backwards");
                }
                pattern.ranges.push_back({low, high, Fold(low), Fold(high)});
            }
            if (!closed)
                return errorAt(open, u"'[' is not closed by ']'");
            step.rangesEnd = static_cast<std::uint32_t>(pattern.ranges.size());
            i = j;
        } else {
            step.c = Fold(literal(i));
        }
        pattern.steps.push_back(step);
    }
    return std::nullopt;
}

constexpr std::u16string_view kRegexPrefix = u"re:";

// Reads one text's patterns into `patterns`; the first mistake, if any.
std::optional<FilterError> ParseText(std::u16string_view text,
                                     std::vector<std::unique_ptr<Pattern>>& patterns) {
    std::size_t begin = 0;
    while (begin <= text.size()) {
        // A '\' takes the next unit with it, so that "\;" is a ';' in the pattern.
        std::size_t end = begin;
        while (end < text.size() && text[end] != u';')
            end += (text[end] == u'\\' && end + 1 < text.size()) ? 2 : 1;
        const std::u16string_view part = text.substr(begin, end - begin);
        const std::size_t first = 1 + Characters(text.substr(0, begin));
        if (!part.empty()) {
            auto pattern = std::make_unique<Pattern>();
            if (part.starts_with(kRegexPrefix)) {
                const std::u16string_view expression = part.substr(kRegexPrefix.size());
                if (expression.empty())
                    return FilterError{first, u"the regular expression is empty"};
                int code = 0;
                std::size_t offset = 0;
                CompiledRegex& regex = pattern->regex.emplace();
                if (!regex.Compile(expression, PCRE2_CASELESS, code, offset)) {
                    offset = std::min(offset, expression.size());
                    return FilterError{
                        first + kRegexPrefix.size() + Characters(expression.substr(0, offset)),
                        RegexMessage(code)};
                }
                regex.PrepareMatching();
            } else if (std::optional<FilterError> error = ParseGlob(part, first, *pattern)) {
                return error;
            }
            patterns.push_back(std::move(pattern));
        }
        begin = end + 1;
    }
    return std::nullopt;
}

}  // namespace

NameFilter::NameFilter() = default;
NameFilter::NameFilter(NameFilter&&) noexcept = default;
NameFilter& NameFilter::operator=(NameFilter&&) noexcept = default;
NameFilter::~NameFilter() = default;

std::variant<NameFilter, FilterError> NameFilter::Parse(std::u16string_view include,
                                                        std::u16string_view exclude) {
    NameFilter filter;
    if (std::optional<FilterError> error = ParseText(include, filter.include_))
        return *error;
    if (std::optional<FilterError> error = ParseText(exclude, filter.exclude_)) {
        error->inExclude = true;
        return *error;
    }
    return filter;
}

bool NameFilter::TakesAll() const {
    return include_.empty() && exclude_.empty();
}

bool NameFilter::Takes(std::u16string_view name) const {
    if (!include_.empty()) {
        bool included = false;
        for (const auto& pattern : include_) {
            if (pattern->Matches(name)) {
                included = true;
                break;
            }
        }
        if (!included)
            return false;
    }
    for (const auto& pattern : exclude_) {
        if (pattern->Matches(name))
            return false;
    }
    return true;
}

}  // namespace brindle
