#pragma once

// Expected texts written with placeholders ("{T}" for the temporary folder and the like),
// filled in once the test knows the values.

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brindle::testing {

using Placeholder = std::pair<std::string_view, std::string>;

inline std::string Filled(std::string text, std::initializer_list<Placeholder> values) {
    for (const auto& [key, value] : values) {
        for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at)) {
            text.replace(at, key.size(), value);
            at += value.size();
        }
    }
    return text;
}

inline std::vector<std::string> Filled(const std::vector<std::string>& texts,
                                       std::initializer_list<Placeholder> values) {
    std::vector<std::string> filled;
    for (const std::string& text : texts)
        filled.push_back(Filled(text, values));
    return filled;
}

}  // namespace brindle::testing
