#pragma once

#include <string>
#include <string_view>

namespace mirado {

class BatchWindow;

// The new file name (last component only) for source by the conversion type
// selected in the window. The extension is kept and always preceded by "."
// (even when it is empty); an unknown type gives the empty string.
std::u16string GetNewName(BatchWindow& window, const std::u16string& source);

// Every occurrence of find in text replaced by replacement, scanning left to
// right without overlaps; an empty find leaves the text as it is.
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view find, std::u16string_view replacement);

}  // namespace mirado
