#include <gtest/gtest.h>

#include <string>

#include "Utf.h"

namespace mirado {
namespace {

// Any bytes of a file name come back as they were, whether UTF-8 or not;
// text that is UTF-8 reads as itself.
TEST(Utf, FileNameBytesMakeTheRoundTrip) {
    for (const std::string bytes : {"plain ascii", "\xE3\x81\xAD\xE3\x81\x93 \xF0\xA0\xAE\xB7", "\x83\x65\x83X",
                                    "\xC0\xAF overlong", "\xED\xA0\x80 surrogate", "cut \xE3\x81", "\xFF\xFE\x80"}) {
        EXPECT_EQ(ToUtf8(FromUtf8(bytes)), bytes);
    }
    EXPECT_EQ(FromUtf8("\xE3\x81\xAD\xF0\xA0\xAE\xB7"), u"ね𠮷");
    EXPECT_EQ(FromUtf8("a\x83\x65"), u"a\xDC83" u"e");
    EXPECT_EQ(DisplayText(FromUtf8("a\x83\x65")), u"a\\x83e");
}

}  // namespace
}  // namespace mirado
