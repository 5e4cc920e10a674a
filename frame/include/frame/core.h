// What a maker's windowless core needs from the frame: how it asks the user without knowing windows,
// and the rule that no model text carries a value that is not a finite number.
#pragma once

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>

namespace frame {

// A Yes/No question by string-table ID; true for Yes.
using Question = std::function<bool(unsigned stringId)>;
// An OK-only message.
using Notice = std::function<void(const std::string& text)>;

// A value the text would print, with the fields it is computed from (as the user knows them).
struct PrintedValue {
    const char* name;
    double value;
    const char* fromFields;
};

// The message for the first value that is not finite, or nothing when all are. No simulator loads a
// card that says inf or nan, so such a text is refused rather than delivered.
std::optional<std::string> nonFiniteMessage(std::initializer_list<PrintedValue> values);

// The frame's last check on every text: the message naming the first line that prints inf or nan.
std::optional<std::string> nonFiniteInText(const std::string& text);

} // namespace frame
