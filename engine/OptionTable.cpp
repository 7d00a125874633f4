#include "engine/OptionTable.h"

#include <algorithm>
#include <string>

#include "engine/IntegerText.h"
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

int MethodOf(const RenameSettings& o) {
    for (const ChoiceValue& method : kMethods) {
        if (o.filterMethod == method.text)
            return method.value;
    }
    return -1;
}

void SetMethod(RenameSettings& o, int method) {
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

std::u16string ChoiceText(const Option& option, const RenameSettings& o) {
    const int value = option.getChoice(o);
    if (option.text != nullptr && value == option.textChoice)
        return o.*option.text;
    for (const ChoiceValue& choice : option.choices) {
        if (choice.value == value)
            return std::u16string(choice.word.begin(), choice.word.end());
    }
    return {};
}

std::optional<std::u16string> SetChoiceText(const Option& option, RenameSettings& o,
                                            std::u16string_view text) {
    if (option.text != nullptr && !text.empty() && text.front() == u'{') {
        if (option.checkText != nullptr) {
            if (auto mistake = option.checkText(text))
                return mistake;
        }
        o.*option.text = std::u16string(text);
        option.setChoice(o, option.textChoice);
        return std::nullopt;
    }
    const bool ascii = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
    const ChoiceValue* choice =
        ascii ? FindChoice(option, std::string(text.begin(), text.end())) : nullptr;
    if (choice == nullptr)
        return std::u16string();
    option.setChoice(o, choice->value);
    // The text belongs to the text's choice alone: a word leaves none behind.
    if (option.text != nullptr)
        (o.*option.text).clear();
    return std::nullopt;
}

std::u16string DescribeSetting(const Option& option, const RenameSettings& o) {
    const RenameSettings defaults;
    std::u16string text;
    switch (option.kind) {
        case Kind::Flag:
            if (o.*option.flag != defaults.*option.flag) {
                text = o.*option.flag ? u"" : u"not ";
                text += option.caption;
            }
            break;
        case Kind::Integer:
            if (o.*option.integer != defaults.*option.integer) {
                text = option.caption;
                text += u' ';
                text += DecimalText(o.*option.integer);
            }
            break;
        case Kind::Text:
            if (o.*option.text != defaults.*option.text) {
                text = option.caption;
                text += u' ';
                text += o.*option.text;
            }
            break;
        case Kind::Choice: {
            const int value = option.getChoice(o);
            if (value == option.getChoice(defaults))
                break;
            if (option.text != nullptr && value == option.textChoice) {
                text = u"ordered by ";
                text += o.*option.text;
                break;
            }
            for (const ChoiceValue& choice : option.choices) {
                if (choice.value == value)
                    text = choice.phrase.empty() ? choice.text : choice.phrase;
            }
            break;
        }
    }
    return text;
}

void ApplyUserSwitch(RenameSettings& o, bool RenameSettings::*flag) {
    // The replacement tables transliterate names; an extension is left as it is.
    if (flag == &RenameSettings::onlyEnglish)
        o.withoutExtension = o.onlyEnglish;
}

bool RenameSettings::*FlagTurnedOff(const Option& row) {
    if (row.cli.off.empty())
        return nullptr;
    return row.kind == Kind::Flag ? row.flag : row.switchesOn;
}

bool CliReadsFromConfig(const Option& row) {
    if (row.kind != Kind::Flag)
        return false;
    for (const Option& other : kOptions) {
        if (FlagTurnedOff(other) == row.flag)
            return true;
    }
    return false;
}

}  // namespace brindle::options
