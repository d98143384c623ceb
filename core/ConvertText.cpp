#include "ConvertText.h"

#include "CaseMapping.h"
#include "KanaMapping.h"
#include "WidthMapping.h"

namespace mirado {

std::u16string ConvertText(std::u16string_view text, int mode) {
    switch (mode) {
        case kModeUpperCase:
            return ToUpperCase(text);
        case kModeLowerCase:
            return ToLowerCase(text);
        case kModeCapitalize:
            return CapitalizeWords(text);
        case kModeFullWidth:
            return ToFullWidth(text);
        case kModeHalfWidth:
            return ToHalfWidth(text);
        case kModeKatakana:
            return ToKatakana(text);
        case kModeHiragana:
            return ToHiragana(text);
        default:
            return std::u16string(text);
    }
}

}  // namespace mirado
