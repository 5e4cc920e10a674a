#include "frame/core.h"

#include <cmath>

namespace frame {

std::optional<std::string> nonFiniteMessage(std::initializer_list<PrintedValue> values) {
    for (const auto& v : values)
        if (!std::isfinite(v.value))
            return std::string(v.name) +
                   " cannot be computed from these values (the result is not a finite "
                   "number). Check: " +
                   v.fromFields + ".";
    return std::nullopt;
}

namespace {
bool wordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}
} // namespace

std::optional<std::string> nonFiniteInText(const std::string& text) {
    for (const char* word : {"inf", "nan"})
        for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
            // printf's spellings stand alone: "inf", "-inf", "nan", "-nan"; "info" or "Vinf" do not count.
            if ((at > 0 && wordChar(text[at - 1])) || (at + 3 < text.size() && wordChar(text[at + 3])))
                continue;
            const size_t begin = text.rfind('\n', at) == std::string::npos ? 0 : text.rfind('\n', at) + 1;
            size_t end = text.find_first_of("\r\n", at);
            if (end == std::string::npos) end = text.size();
            return "The model cannot be written: a computed value is not a finite number, in the line \"" +
                   text.substr(begin, end - begin) + "\". Check the entered values.";
        }
    return std::nullopt;
}

} // namespace frame
