#include "ConvertText.h"

namespace mirado {

std::u16string ConvertText(std::u16string_view text, int /*mode*/) {
    return std::u16string(text);  // placeholder until the mappings land
}

}  // namespace mirado
