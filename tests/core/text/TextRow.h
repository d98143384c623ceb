#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

// One example conversion: text converted by mode must give expected.
struct TextRow {
    const char* name;
    int mode;
    std::u16string_view text;
    std::u16string_view expected;
};

inline std::string TextRowName(const testing::TestParamInfo<TextRow>& info) {
    return info.param.name;
}
