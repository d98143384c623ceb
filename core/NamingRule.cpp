#include "NamingRule.h"

#include <array>

#include "BatchWindow.h"
#include "ConversionType.h"
#include "ConvertText.h"
#include "DateText.h"
#include "FileServices.h"
#include "Utf.h"

namespace mirado {
namespace {

// The text conversion mode of the types 0 to 6, by type.
constexpr std::array<int, 7> kModeOfType = {kModeUpperCase, kModeLowerCase, kModeCapitalize, kModeFullWidth,
                                            kModeHalfWidth, kModeKatakana,  kModeHiragana};

std::u16string WithoutDateSeparators(std::u16string text) {
    std::erase(text, u'/');
    std::erase(text, u':');
    return text;
}

}  // namespace

std::u16string ReplaceAll(std::u16string_view text, std::u16string_view find, std::u16string_view replacement) {
    if (find.empty()) return std::u16string(text);
    std::u16string result;
    size_t from = 0;
    for (size_t at = text.find(find); at != std::u16string_view::npos; at = text.find(find, from)) {
        result.append(text.substr(from, at - from)).append(replacement);
        from = at + find.size();
    }
    return result.append(text.substr(from));
}

std::u16string GetNewName(BatchWindow& window, const std::u16string& source) {
    FileServices& fso = window.Fso();
    const std::u16string ext = fso.GetExtensionName(source);
    const std::u16string base = fso.GetBaseName(source);
    const int type = window.ConversionType();

    // A name that is no Unicode text (bytes of an unknown encoding) cannot
    // be converted: it keeps its own bytes, numbered when taken.
    const bool convertible = !HasLoneSurrogate(base);

    std::u16string name;
    if (type >= kToUpperCase && type <= kToHiragana) {
        name = convertible ? ConvertText(base, kModeOfType[static_cast<size_t>(type)]) : base;
    } else if (type == kLastModified) {
        name = WithoutDateSeparators(DateTimeText(fso.GetFile(source).DateLastModified));
    } else if (type == kFindAndReplace) {
        name = convertible ? ReplaceAll(base, window.GetFind(), window.GetReplace()) : base;
    } else {
        return {};
    }
    // The "." stays even for an empty extension; placement relies on it.
    return name + u"." + ext;
}

}  // namespace mirado
