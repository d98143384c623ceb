#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "CoreErrors.h"
#include "ErrorText.h"
#include "Utf.h"

namespace mirado {
namespace {

// Every description the program composes: each action sentence joined to the
// reason for every code this system's table knows (and codes it does not),
// and the program's own refusals.
std::vector<Error> EveryComposedError() {
    const std::u16string path = u"C:/フォルダー/a.txt";
    std::vector<Error> errors;
    for (const std::u16string_view action : {kCannotOpenSource, kCannotOpenTargetFolder, kCannotCreateTarget,
                                             kCannotWriteTarget, kCannotTestTarget, kCannotReadDate,
                                             kCannotCreateFolder}) {
        // errno values on Linux; GetLastError() codes on Windows reach 15999.
        for (long code = 0; code < 16000; ++code) errors.push_back(SystemError(code, action, path));
    }
    errors.push_back(OutOfMemoryError());
    errors.push_back(NotRegularFileError(path));
    errors.push_back(NotRealFolderError(path));
    errors.push_back(SourceChangedError(path));
    errors.push_back(NoCalendarDateError(path));
    errors.push_back(CounterOverflowError(path));
    errors.push_back(InvalidNewNameError(path, u"CON"));
    errors.push_back(NotLocalPathError(path));
    return errors;
}

// Each description is whole sentences, each ending with 。, and says nothing
// twice: no sentence repeats another or ends in the same words (as "…中に
// エラーが発生しました。…読み書き中にエラーが発生しました。" did).
TEST(ErrorText, EveryDescriptionIsWholeSentencesThatSayNothingTwice) {
    std::set<std::u16string> seen;
    for (const Error& error : EveryComposedError()) {
        const std::u16string& text = error.Description();
        if (!seen.insert(text).second) continue;
        SCOPED_TRACE(ToUtf8(text));
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), u'。');
        std::set<std::u16string> sentences, endings;
        size_t start = 0;
        for (size_t end = text.find(u'。'); end != std::u16string::npos; end = text.find(u'。', start)) {
            const std::u16string sentence = text.substr(start, end - start);
            EXPECT_GE(sentence.size(), 4u) << "a fragment";
            EXPECT_TRUE(sentences.insert(sentence).second) << "a repeated sentence";
            EXPECT_TRUE(endings.insert(sentence.substr(sentence.size() - std::min<size_t>(sentence.size(), 5))).second)
                << "two sentences that end alike";
            start = end + 1;
        }
    }
}

}  // namespace
}  // namespace mirado
