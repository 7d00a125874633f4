#pragma once

// What the regular expressions of the replace stage and of the name filter share: how an
// expression is compiled and the limits every match runs under. Only for the engine's
// own sources, which talk to PCRE2's 16-bit library.

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace brindle {

// UTF-16 with Unicode properties; names that are not valid UTF-16 are matched as they are.
// \C could split a character or match a byte escape alone: not allowed.
inline constexpr std::uint32_t kRegexOptions =
    PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF | PCRE2_NEVER_BACKSLASH_C;

inline PCRE2_SPTR16 RegexUnits(std::u16string_view text) {
    return reinterpret_cast<PCRE2_SPTR16>(text.data());
}

// PCRE2's message for an error code.
std::u16string RegexMessage(int code);

// A compiled expression with its match space and limits. Matching writes to the match
// space: one serves one thread at a time.
struct CompiledRegex {
    pcre2_code_16* code = nullptr;
    pcre2_match_data_16* match = nullptr;
    pcre2_match_context_16* context = nullptr;
    pcre2_jit_stack_16* jitStack = nullptr;

    CompiledRegex() = default;
    CompiledRegex(const CompiledRegex&) = delete;
    CompiledRegex& operator=(const CompiledRegex&) = delete;
    ~CompiledRegex();

    // Compiles `expression` with kRegexOptions and `extraOptions`. False with PCRE2's
    // error code and the code-unit offset of the mistake when it is not one; then only
    // `code` is left null and nothing else is set up.
    bool Compile(std::u16string_view expression, std::uint32_t extraOptions, int& errorCode,
                 std::size_t& errorOffset);

    // Sets up the match space and the limits (just in time compiled where the machine
    // allows) for the compiled `code`. Throws std::bad_alloc when memory runs out.
    void PrepareMatching();
};

}  // namespace brindle
