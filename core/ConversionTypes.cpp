#include "ConversionTypes.h"

#include "ConvertText.h"
#include "DateText.h"
#include "FileServices.h"
#include "NamingRule.h"
#include "Utf.h"

namespace mirado {
namespace {

// A name that is no Unicode text (bytes of an unknown encoding) cannot be
// converted: it keeps its own bytes, numbered when taken.
bool Convertible(const RuleInput& input) { return !HasLoneSurrogate(input.base); }

template <int mode>
std::u16string Converted(const RuleInput& input) {
    return Convertible(input) ? ConvertText(input.base, mode) : std::u16string(input.base);
}

std::u16string LastModified(const RuleInput& input) {
    std::u16string text = DateTimeText(input.fso.GetFile(input.source).DateLastModified);
    // "/" and ":" cannot stand in a name.
    std::erase(text, u'/');
    std::erase(text, u':');
    return text;
}

std::u16string Replaced(const RuleInput& input) {
    return Convertible(input) ? ReplaceAll(input.base, input.texts.find, input.texts.replace)
                              : std::u16string(input.base);
}

}  // namespace

constexpr std::array<ConversionType, 9> kConversionTypes = {{
    {u"大文字に変換", Converted<kModeUpperCase>, false},
    {u"小文字に変換", Converted<kModeLowerCase>, false},
    {u"各単語の先頭文字を大文字に変換", Converted<kModeCapitalize>, false},
    {u"半角文字を全角文字に変換", Converted<kModeFullWidth>, false},
    {u"全角文字を半角文字に変換", Converted<kModeHalfWidth>, false},
    {u"ひらがなをカタカナに変換", Converted<kModeKatakana>, false},
    {u"カタカナをひらがなに変換", Converted<kModeHiragana>, false},
    {u"最終更新日時に変換", LastModified, false},
    {u"指定した文字列に置換", Replaced, true},
}};

const ConversionType* FindConversionType(int type) noexcept {
    if (type < 0 || static_cast<std::size_t>(type) >= kConversionTypes.size()) return nullptr;
    return &kConversionTypes[static_cast<std::size_t>(type)];
}

}  // namespace mirado
