#include "engine/OptionTable.h"

#include "engine/TextOps.h"

namespace brindle::options {

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

}  // namespace

int MethodOf(const RenameOptions& o) {
    for (const ChoiceValue& method : kMethods) {
        if (o.filterMethod == method.text)
            return method.value;
    }
    return -1;
}

void SetMethod(RenameOptions& o, int method) {
    o.filterMethod.clear();
    for (const ChoiceValue& m : kMethods) {
        if (m.value == method)
            o.filterMethod = m.text;
    }
}

const Option* FindOption(std::u16string_view key) {
    for (const Option& option : kOptions) {
        if (option.key == key)
            return &option;
    }
    return nullptr;
}

const ChoiceValue* FindChoice(const Option& option, std::string_view word) {
    for (const ChoiceValue& choice : option.choices) {
        if (SameWord(choice.word, word))
            return &choice;
    }
    return nullptr;
}

std::string ChoiceWords(const Option& option) {
    std::string words;
    for (const ChoiceValue& choice : option.choices) {
        if (!words.empty())
            words += ", ";
        words += choice.word;
    }
    return words;
}

void ApplyUserSwitch(RenameOptions& o, bool RenameOptions::*flag) {
    // The replacement tables transliterate names; an extension is left as it is.
    if (flag == &RenameOptions::onlyEnglish)
        o.withoutExtension = o.onlyEnglish;
}

}  // namespace brindle::options
