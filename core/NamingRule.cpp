#include "NamingRule.h"

#include "FileServices.h"

namespace mirado {

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

std::u16string GetNewName(FileServices& fso, std::u16string_view source, int type, const ReplaceTexts& texts) {
    const ConversionType* conversion = FindConversionType(type);
    if (conversion == nullptr) return {};
    const std::u16string ext = fso.GetExtensionName(source);
    const std::u16string base = fso.GetBaseName(source);
    const std::u16string name = conversion->rule(RuleInput{fso, source, base, texts});
    // The "." stays even for an empty extension; placement relies on it.
    return name + u"." + ext;
}

}  // namespace mirado
