#include "engine/RegexMatching.h"

#include <array>
#include <new>

namespace brindle {

namespace {

// What one match may cost. A name is at most a few hundred units, so a sound expression
// stays far below these; one that backtracks without end meets them within milliseconds.
constexpr std::uint32_t kMatchLimit = 1'000'000;
constexpr std::uint32_t kDepthLimit = 10'000;
constexpr std::uint32_t kHeapLimitKiB = 16 * 1024;
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackMax = 1024 * 1024;

}  // namespace

std::u16string RegexMessage(int code) {
    std::array<PCRE2_UCHAR16, 256> buffer{};
    const int length = pcre2_get_error_message(code, buffer.data(), buffer.size());
    if (length < 0)
        return u"unknown error";
    return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()),
                          static_cast<std::size_t>(length));
}

CompiledRegex::~CompiledRegex() {
    pcre2_jit_stack_free_16(jitStack);
    pcre2_match_context_free_16(context);
    pcre2_match_data_free_16(match);
    pcre2_code_free_16(code);
}

bool CompiledRegex::Compile(std::u16string_view expression, std::uint32_t extraOptions,
                            int& errorCode, std::size_t& errorOffset) {
    PCRE2_SIZE offset = 0;
    code = pcre2_compile_16(RegexUnits(expression), expression.size(), kRegexOptions | extraOptions,
                            &errorCode, &offset, nullptr);
    errorOffset = offset;
    return code != nullptr;
}

void CompiledRegex::PrepareMatching() {
    // Where the machine has no JIT, the interpreter matches alike.
    const bool jit = pcre2_jit_compile_16(code, PCRE2_JIT_COMPLETE) == 0;
    match = pcre2_match_data_create_from_pattern_16(code, nullptr);
    context = pcre2_match_context_create_16(nullptr);
    if (match == nullptr || context == nullptr)
        throw std::bad_alloc();
    pcre2_set_match_limit_16(context, kMatchLimit);
    pcre2_set_depth_limit_16(context, kDepthLimit);
    pcre2_set_heap_limit_16(context, kHeapLimitKiB);
    if (jit) {
        jitStack = pcre2_jit_stack_create_16(kJitStackStart, kJitStackMax, nullptr);
        if (jitStack != nullptr)
            pcre2_jit_stack_assign_16(context, nullptr, jitStack);
    }
}

}  // namespace brindle
