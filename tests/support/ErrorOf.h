#pragma once

#include <string>

#include "Error.h"

namespace mirado::test {

// Runs action and gives the error it threw as "number:description", the
// form the user sees, or the empty string when it threw none.
template <typename Action>
std::u16string ErrorOf(Action&& action) {
    try {
        action();
        return {};
    } catch (const Error& e) {
        const std::string number = std::to_string(e.Number());
        return std::u16string(number.begin(), number.end()) + u":" + e.Description();
    }
}

}  // namespace mirado::test
