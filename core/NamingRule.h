#pragma once

#include <string>
#include <string_view>

#include "ConversionTypes.h"

namespace mirado {

class FileServices;

// The new file name (last component only) of source by the conversion type
// of that number. The extension is kept and always preceded by "." (even
// when it is empty); an unknown type gives the empty string.
std::u16string GetNewName(FileServices& fso, std::u16string_view source, int type, const ReplaceTexts& texts);

// Every occurrence of find in text replaced by replacement, scanning left to
// right without overlaps; an empty find leaves the text as it is.
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view find, std::u16string_view replacement);

}  // namespace mirado
