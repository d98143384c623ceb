#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "Utf.h"

namespace mirado {
namespace {

// A line break inside a paragraph, list item or table cell is shown as a
// space by Qt's rich text (the help window), by browsers and by Markdown
// renderers, and Japanese puts no space between sentences: the Japanese
// documents keep a paragraph's text on one line, or break only where the
// markup itself ends a block.

enum class Markup { Html, Markdown };

// Kana, kanji, Japanese punctuation (「。」、（）) and full-width forms.
bool EndsInJapanese(const std::string& line) {
    const std::u16string text = FromUtf8(line.substr(0, line.find_last_not_of(" \t\r") + 1));
    const char16_t c = text.empty() ? 0 : text.back();
    return (c >= 0x3000 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) || (c >= 0x3400 && c <= 0x9FFF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF);
}

std::vector<std::string> Lines(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The numbers (from 1) of the lines that end in Japanese text while their
// paragraph, list item or table cell goes on to the next line: in HTML, the
// next line does not open or close a block; in Markdown, the line is no
// heading, table row or hard break and the next line begins no block.
// Preformatted text (<pre>, fenced code) shows its breaks as written.
std::vector<int> BrokenJapaneseLines(const std::string& text, Markup markup) {
    static const std::regex htmlBlock(
        R"(^\s*</?(p|li|[uod]l|d[td]|t[rdh]|table|thead|tbody|caption|h\d|div|pre|blockquote|body|html|head|title)"
        R"(|description|summary|name|developer_name|component)\b)");
    static const std::regex markdownBlock(R"(^\s*([#|>]|```|[-*+] |\d+\. |$))");
    static const std::regex markdownOwnLine(R"(^\s*[#|]|  $)");
    const std::vector<std::string> lines = Lines(text);
    std::vector<int> broken;
    bool code = false;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::string &line = lines[i], &next = lines[i + 1];
        if (markup == Markup::Html) {
            if (line.find("<pre") != std::string::npos) code = true;
            if (line.find("</pre>") != std::string::npos) code = false;
        } else if (std::regex_search(line, std::regex(R"(^\s*```)"))) {
            code = !code;
        }
        const bool blockEnds = markup == Markup::Html
                                   ? std::regex_search(next, htmlBlock)
                                   : std::regex_search(line, markdownOwnLine) || std::regex_search(next, markdownBlock);
        if (!code && EndsInJapanese(line) && !blockEnds) broken.push_back(static_cast<int>(i) + 1);
    }
    return broken;
}

TEST(DocumentText, JapaneseLineBreaksAreFoundOnlyInsideABlock) {
    EXPECT_EQ(BrokenJapaneseLines("<p>一文目です。\n二文目です。</p>\n<td>コピーします。\n<strong>元の</strong></td>\n"
                                  "<td>一。\n    </td>\n<h2>使い方</h2>\n<p>一文目です。\n\n二文目です。</p>\n"
                                  "<pre>一行目。\n二行目。\n</pre>\n<p>An English\nparagraph keeps its breaks.</p>",
                                  Markup::Html),
              (std::vector<int>{1, 3, 8}));
    EXPECT_EQ(BrokenJapaneseLines("一文目です。\n二文目です。\n\n## 見出し\n本文です。\n- 項目です。\n  続きです。\n"
                                  "1. 番号です。\n| 表 | 行 |\n表の前です。\n| a | b |\n改行です。  \n次です。\n"
                                  "```\n一行目。\n二行目。\n```\n",
                                  Markup::Markdown),
              (std::vector<int>{1, 6}));
}

// The help (the help window shows it), the README and the AppStream
// metainfo. The zip's plain-text read-me is shown as written and keeps its
// breaks.
TEST(DocumentText, JapaneseParagraphsHaveNoLineBreak) {
    for (const auto& [path, markup] : {std::pair{"ui/Readme.html", Markup::Html}, {"README.md", Markup::Markdown},
                                       {"ui/mirado.metainfo.xml.in", Markup::Html}}) {
        SCOPED_TRACE(path);
        std::ifstream file(std::string(MIRADO_SOURCE_DIR) + "/" + path, std::ios::binary);
        ASSERT_TRUE(file) << "cannot open";
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        for (const int number : BrokenJapaneseLines(text, markup))
            ADD_FAILURE() << "line " << number << " breaks Japanese text: " << Lines(text)[number - 1];
    }
}

}  // namespace
}  // namespace mirado
