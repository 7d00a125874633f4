#include "engine/RegexReplace.h"

#include <algorithm>

#include "engine/CaseConversion.h"
#include "engine/RegexMatching.h"
#include "engine/TextOps.h"

namespace brindle {

namespace {

// A reference that stops at this many digits names no group that can exist.
constexpr std::uint32_t kGroupTooLarge = 1'000'000;

// The case escapes of the replacement.
enum class CaseMode : std::uint8_t { None, Upper, Lower };

// One piece of a parsed replacement.
struct Piece {
    enum class Kind : std::uint8_t { Text, Group, Mode, Next };
    Kind kind = Kind::Text;
    CaseMode mode = CaseMode::None;  // for Mode (None for \E) and Next
    std::uint32_t group = 0;         // for Group
    std::size_t begin = 0;           // for Text: its place in the replacement's literal text
    std::size_t size = 0;
};

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsNameStart(char16_t c) {
    return IsAsciiUpper(c) || IsAsciiLower(c) || c == u'_';
}

bool IsNameChar(char16_t c) {
    return IsNameStart(c) || IsDigit(c);
}

// The replacement read once into pieces, its group references checked against the
// expression's groups.
class ReplacementParser {
public:
    ReplacementParser(std::u16string_view text, const pcre2_code_16* code)
        : text_(text), code_(code) {
        std::uint32_t captures = 0;
        pcre2_pattern_info(code_, PCRE2_INFO_CAPTURECOUNT, &captures);
        captures_ = captures;
    }

    bool Parse(std::vector<Piece>& pieces, std::u16string& literal, RegexError* error) {
        pieces_ = &pieces;
        literal_ = &literal;
        for (std::size_t i = 0; i < text_.size();) {
            const char16_t c = text_[i];
            if (c == u'\\' && i + 1 < text_.size()) {
                i = Escape(i);
            } else if (c == u'$' && i + 1 < text_.size()) {
                const std::optional<std::size_t> next = Reference(i, error);
                if (!next)
                    return false;
                i = *next;
            } else {
                AddText(text_.substr(i, 1));
                ++i;
            }
        }
        return true;
    }

private:
    // `at` holds a '\' with something after it; the index after the escape.
    std::size_t Escape(std::size_t at) {
        const char16_t c = text_[at + 1];
        switch (c) {
            case u'U':
                pieces_->push_back({Piece::Kind::Mode, CaseMode::Upper});
                break;
            case u'L':
                pieces_->push_back({Piece::Kind::Mode, CaseMode::Lower});
                break;
            case u'E':
                pieces_->push_back({Piece::Kind::Mode, CaseMode::None});
                break;
            case u'u':
                pieces_->push_back({Piece::Kind::Next, CaseMode::Upper});
                break;
            case u'l':
                pieces_->push_back({Piece::Kind::Next, CaseMode::Lower});
                break;
            case u'\\':
            case u'$':
                AddText(text_.substr(at + 1, 1));
                break;
            default:
                // Kept as written, '\' and all.
                AddText(text_.substr(at, 1));
                return at + 1;
        }
        return at + 2;
    }

    // `at` holds a '$' with something after it; the index after the reference, or after
    // the '$' when it starts none (then it is itself).
    std::optional<std::size_t> Reference(std::size_t at, RegexError* error) {
        const char16_t c = text_[at + 1];
        if (c == u'&') {
            AddGroup(0);
            return at + 2;
        }
        if (IsDigit(c)) {
            std::size_t end = at + 1;
            std::uint32_t group = 0;
            while (end < text_.size() && IsDigit(text_[end])) {
                group = std::min(kGroupTooLarge, group * 10 + (text_[end] - u'0'));
                ++end;
            }
            if (!CheckGroup(group, at, error))
                return std::nullopt;
            AddGroup(group);
            return end;
        }
        if (c == u'{') {
            const std::size_t close = text_.find(u'}', at + 2);
            const std::u16string_view inside = close == std::u16string_view::npos
                                                   ? std::u16string_view()
                                                   : text_.substr(at + 2, close - at - 2);
            if (!inside.empty() && std::all_of(inside.begin(), inside.end(), IsDigit)) {
                std::uint32_t group = 0;
                for (const char16_t d : inside)
                    group = std::min(kGroupTooLarge, group * 10 + (d - u'0'));
                if (!CheckGroup(group, at, error))
                    return std::nullopt;
                AddGroup(group);
                return close + 1;
            }
            if (!inside.empty() && IsNameStart(inside.front()) &&
                std::all_of(inside.begin(), inside.end(), IsNameChar)) {
                const std::u16string name(inside);
                const int group = pcre2_substring_number_from_name(code_, RegexUnits(name));
                if (group < 0) {
                    if (error != nullptr) {
                        *error = {true, at,
                                  group == PCRE2_ERROR_NOUNIQUESUBSTRING
                                      ? u"more than one group is named " + name
                                      : u"no group named " + name};
                    }
                    return std::nullopt;
                }
                AddGroup(static_cast<std::uint32_t>(group));
                return close + 1;
            }
        }
        // A lone '$'.
        AddText(text_.substr(at, 1));
        return at + 1;
    }

    bool CheckGroup(std::uint32_t group, std::size_t at, RegexError* error) const {
        if (group <= captures_)
            return true;
        if (error != nullptr) {
            *error = {true, at,
                      group >= kGroupTooLarge ? std::u16string(u"no such group")
                                              : u"no group " + FromAscii(std::to_string(group))};
        }
        return false;
    }

    void AddText(std::u16string_view text) {
        if (!pieces_->empty() && pieces_->back().kind == Piece::Kind::Text &&
            pieces_->back().begin + pieces_->back().size == literal_->size()) {
            pieces_->back().size += text.size();
        } else {
            pieces_->push_back(
                {Piece::Kind::Text, CaseMode::None, 0, literal_->size(), text.size()});
        }
        *literal_ += text;
    }

    void AddGroup(std::uint32_t group) {
        pieces_->push_back({Piece::Kind::Group, CaseMode::None, group});
    }

    std::u16string_view text_;
    const pcre2_code_16* code_;
    std::uint32_t captures_ = 0;
    std::vector<Piece>* pieces_ = nullptr;
    std::u16string* literal_ = nullptr;
};

// The case escapes as one replacement writes them out.
struct CaseState {
    CaseMode mode = CaseMode::None;
    CaseMode next = CaseMode::None;

    void Append(std::u16string& out, std::u16string_view text) {
        if (mode == CaseMode::None && next == CaseMode::None) {
            out += text;
            return;
        }
        for (std::size_t i = 0; i < text.size();) {
            const CodePoint c = CodePointAt(text, i);
            CaseMode use = mode;
            if (next != CaseMode::None) {
                use = next;
                next = CaseMode::None;
            }
            switch (use) {
                case CaseMode::Upper:
                    AppendCodePoint(out, SimpleUpper(c.value));
                    break;
                case CaseMode::Lower:
                    AppendCodePoint(out, SimpleLower(c.value));
                    break;
                case CaseMode::None:
                    out.append(text.substr(i, c.units));
                    break;
            }
            i += c.units;
        }
    }
};

}  // namespace

struct RegexReplacer::Impl {
    CompiledRegex regex;
    std::vector<Piece> pieces;
    std::u16string literal;

    // Writes the replacement of the match that `ovector` describes.
    void AppendReplacement(std::u16string_view name, const PCRE2_SIZE* ovector, std::uint32_t pairs,
                           std::u16string& out) const {
        CaseState state;
        for (const Piece& piece : pieces) {
            switch (piece.kind) {
                case Piece::Kind::Text:
                    state.Append(out, std::u16string_view(literal).substr(piece.begin, piece.size));
                    break;
                case Piece::Kind::Group:
                    // A group that took no part in the match is empty.
                    if (piece.group < pairs) {
                        const PCRE2_SIZE begin = ovector[2 * piece.group];
                        const PCRE2_SIZE end = ovector[2 * piece.group + 1];
                        if (begin != PCRE2_UNSET && end >= begin && end <= name.size())
                            state.Append(out, name.substr(begin, end - begin));
                    }
                    break;
                case Piece::Kind::Mode:
                    state.mode = piece.mode;
                    break;
                case Piece::Kind::Next:
                    state.next = piece.mode;
                    break;
            }
        }
    }
};

RegexReplacer::RegexReplacer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RegexReplacer::RegexReplacer(RegexReplacer&&) noexcept = default;
RegexReplacer& RegexReplacer::operator=(RegexReplacer&&) noexcept = default;
RegexReplacer::~RegexReplacer() = default;

RegexReplacer RegexReplacer::Compile(std::u16string_view expression,
                                     std::u16string_view replacement, RegexError* error) {
    auto impl = std::make_unique<Impl>();
    int code = 0;
    std::size_t offset = 0;
    if (!impl->regex.Compile(expression, 0, code, offset)) {
        if (error != nullptr)
            *error = {false, std::min<std::size_t>(offset, expression.size()), RegexMessage(code)};
        return RegexReplacer(nullptr);
    }
    if (!ReplacementParser(replacement, impl->regex.code).Parse(impl->pieces, impl->literal, error))
        return RegexReplacer(nullptr);
    impl->regex.PrepareMatching();
    return RegexReplacer(std::move(impl));
}

RegexReplacer::Outcome RegexReplacer::Replace(std::u16string_view name, std::u16string& out,
                                              std::vector<ReplacedPart>* parts) const {
    out.clear();
    if (parts != nullptr)
        parts->clear();
    const Impl& impl = *impl_;
    const CompiledRegex& regex = impl.regex;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer_16(regex.match);
    const std::uint32_t pairs = pcre2_get_ovector_count_16(regex.match);
    std::size_t copied = 0;  // `name` is in `out` up to here
    std::size_t start = 0;   // where the next match is looked for
    std::size_t lastEnd = std::u16string_view::npos;
    while (start <= name.size()) {
        const int rc = pcre2_match_16(regex.code, RegexUnits(name), name.size(), start, 0,
                                      regex.match, regex.context);
        if (rc == PCRE2_ERROR_NOMATCH)
            break;
        // Past a limit, out of memory, or anything else a match can fail with: the name
        // is not to be trusted to any result.
        if (rc < 0)
            return Outcome::TooLong;
        const std::size_t begin = ovector[0];
        const std::size_t end = ovector[1];
        // \K can set the start after the end inside a lookahead; such a match is refused.
        if (end < begin || end > name.size() || begin < start)
            return Outcome::TooLong;
        const bool empty = begin == end;
        // As sed: an empty match right after the previous match is left alone.
        if (!(empty && begin == lastEnd)) {
            out.append(name.substr(copied, begin - copied));
            const std::size_t from = out.size();
            impl.AppendReplacement(name, ovector, rc == 0 ? pairs : static_cast<std::uint32_t>(rc),
                                   out);
            if (parts != nullptr && out.size() > from)
                parts->push_back({static_cast<std::uint32_t>(from),
                                  static_cast<std::uint32_t>(out.size() - from)});
            copied = end;
            lastEnd = end;
        }
        if (!empty) {
            start = end;
            continue;
        }
        if (end == name.size())
            break;
        // Past one character, which stays as it was.
        start = end + CodePointAt(name, end).units;
    }
    out.append(name.substr(copied));
    return Outcome::Replaced;
}

bool UsesRegularExpression(const RenameSettings& settings) {
    return settings.regularExpression && !settings.onlyEnglish && !settings.replaceWhat.empty();
}

std::optional<RegexError> CheckRegularExpression(const RenameSettings& settings) {
    if (!UsesRegularExpression(settings))
        return std::nullopt;
    RegexError error;
    if (RegexReplacer::Compile(settings.replaceWhat, settings.replaceWith, &error).valid())
        return std::nullopt;
    return error;
}

std::u16string RegexErrorText(const RegexError& error, std::u16string_view expression,
                              std::u16string_view replacement) {
    const std::u16string_view text = error.inReplacement ? replacement : expression;
    const std::size_t at = std::min(error.offset, text.size());
    std::u16string line =
        error.inReplacement ? u"The replacement \"" : u"The regular expression \"";
    line += text.substr(0, at);
    line += kRegexMarker;
    line += text.substr(at);
    line += u"\" has a mistake at ";
    line += kRegexMarker;
    line += u": ";
    line += error.message;
    line += u'.';
    return line;
}

}  // namespace brindle
