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
    errors.insert(errors.end(), {OutOfMemoryError(), NotRegularFileError(path), NotRealFolderError(path),
                                 SourceChangedError(path), NameRefusedError(path), NoFileIdentityError(path),
                                 NoCalendarDateError(path), CounterOverflowError(path), InvalidNewNameError(path, u"CON"),
                                 NameNotKeptError(path), TooManyFilesError(), NotLocalPathError(path)});
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
        ASSERT_TRUE(text.ends_with(u'。'));
        std::set<std::u16string> sentences, endings;
        for (size_t start = 0, end; (end = text.find(u'。', start)) != std::u16string::npos; start = end + 1) {
            const std::u16string sentence = text.substr(start, end - start);
            EXPECT_GE(sentence.size(), 4u) << "a fragment";
            EXPECT_TRUE(sentences.insert(sentence).second) << "a repeated sentence";
            EXPECT_TRUE(endings.insert(sentence.substr(sentence.size() - std::min<size_t>(sentence.size(), 5))).second)
                << "two sentences that end alike";
        }
    }
}

}  // namespace
}  // namespace mirado
