#pragma once

#include <array>
#include <string>
#include <string_view>

namespace mirado {

class FileServices;

// The find and replacement texts of the find-and-replace type.
struct ReplaceTexts {
    std::u16string find;
    std::u16string replace;
};

// What a naming rule may look at to name one file.
struct RuleInput {
    FileServices& fso;
    std::u16string_view source;  // the full path of the dropped file
    std::u16string_view base;    // its name without the final "." and extension
    const ReplaceTexts& texts;
};

// One conversion type: the text of its entry in the type list, the rule
// that makes the new base name, and whether the find and replacement texts
// are asked for before its batch.
struct ConversionType {
    std::u16string_view label;
    std::u16string (*rule)(const RuleInput& input);
    bool asksForTexts;
};

// Every conversion type, in list order: a type's number is its index here,
// and the index of its entry in the main window's list. A new type is one
// new row.
extern const std::array<ConversionType, 9> kConversionTypes;

// The type of that number, or null when there is none.
const ConversionType* FindConversionType(int type) noexcept;

}  // namespace mirado
