#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <ios>
#include <string>

#include "CaseMapping.h"

namespace mirado {
namespace {

// One code point, a surrogate one as it is.
std::u16string Utf16(UChar32 c) {
    const icu::UnicodeString text(c);
    return {text.getBuffer(), static_cast<std::size_t>(text.length())};
}

// The case table is made from ICU by scripts/generate-case-table.sh. After an
// ICU update this fails until the table is regenerated. Surrogate code points
// stand alone here, so unpaired surrogates are covered too.
TEST(CaseTable, EqualsIcuSimpleMappingAtEveryCodePoint) {
    for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
        const std::u16string text = Utf16(c);
        ASSERT_EQ(ToUpperCase(text), Utf16(u_toupper(c))) << "U+" << std::hex << std::uppercase << c;
        ASSERT_EQ(ToLowerCase(text), Utf16(u_tolower(c))) << "U+" << std::hex << std::uppercase << c;
    }
}

}  // namespace
}  // namespace mirado
