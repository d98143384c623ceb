#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
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

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r'; }

std::u16string_view Trimmed(std::u16string_view line) {
    while (!line.empty() && IsSpace(line.front())) line.remove_prefix(1);
    while (!line.empty() && IsSpace(line.back())) line.remove_suffix(1);
    return line;
}

// Kana, kanji, Japanese punctuation (「。」、（）) and full-width forms.
bool IsJapanese(char16_t c) {
    return (c >= 0x3000 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) || (c >= 0x3400 && c <= 0x9FFF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF);
}

bool EndsInJapanese(std::u16string_view line) {
    line = Trimmed(line);
    return !line.empty() && IsJapanese(line.back());
}

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A tag that opens or closes a block, so that the break before it is not
// shown: <p>, </li>, <td>, <h2>, <description> …
bool StartsWithBlockTag(std::u16string_view line) {
    line = Trimmed(line);
    if (!StartsWith(line, u"<")) return false;
    line.remove_prefix(StartsWith(line, u"</") ? 2 : 1);
    size_t end = 0;
    while (end < line.size() && ((line[end] >= u'a' && line[end] <= u'z') || (line[end] >= u'0' && line[end] <= u'9')))
        ++end;
    const std::u16string_view name = line.substr(0, end);
    for (const std::u16string_view block :
         {u"p", u"li", u"ul", u"ol", u"dl", u"dt", u"dd", u"table", u"thead", u"tbody", u"tr", u"td", u"th",
          u"caption", u"h1", u"h2", u"h3", u"h4", u"h5", u"h6", u"div", u"pre", u"blockquote", u"body", u"html",
          u"head", u"title", u"description", u"summary", u"name", u"developer_name", u"component"}) {
        if (name == block) return true;
    }
    return false;
}

// A Markdown line that begins a block of its own: a heading, a table row, a
// list item, a quote or a code fence.
bool StartsMarkdownBlock(std::u16string_view line) {
    line = Trimmed(line);
    if (line.empty()) return true;
    for (const std::u16string_view start : {u"#", u"|", u">", u"```", u"- ", u"* ", u"+ "}) {
        if (StartsWith(line, start)) return true;
    }
    size_t digits = 0;
    while (digits < line.size() && line[digits] >= u'0' && line[digits] <= u'9') ++digits;
    return digits > 0 && StartsWith(line.substr(digits), u". ");
}

std::vector<std::u16string_view> Lines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find(u'\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The numbers (from 1) of the lines that end in Japanese text while their
// paragraph, list item or table cell goes on to the next line. Preformatted
// text (<pre>, Markdown's code blocks) shows its breaks as written.
std::vector<int> BrokenJapaneseLines(std::u16string_view text, Markup markup) {
    const std::vector<std::u16string_view> lines = Lines(text);
    std::vector<int> broken;
    bool code = false;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::u16string_view line = lines[i], next = lines[i + 1];
        if (markup == Markup::Html) {
            // Whether the line ends inside <pre>.
            const size_t open = line.rfind(u"<pre"), close = line.rfind(u"</pre>");
            if (open != std::u16string_view::npos && (close == std::u16string_view::npos || close < open)) code = true;
            else if (close != std::u16string_view::npos) code = false;
            if (!code && EndsInJapanese(line) && !StartsWithBlockTag(next)) broken.push_back(static_cast<int>(i) + 1);
            continue;
        }
        if (StartsWith(Trimmed(line), u"```")) {
            code = !code;
            continue;
        }
        // An indented code block begins after a blank line and goes on while indented.
        const bool indented = StartsWith(line, u"    ") || StartsWith(line, u"\t");
        const bool afterBlank = i == 0 || Trimmed(lines[i - 1]).empty() || StartsWith(lines[i - 1], u"    ");
        if (code || (indented && afterBlank)) continue;
        const std::u16string_view trimmed = Trimmed(line);
        const bool ownsLine = StartsWith(trimmed, u"#") || StartsWith(trimmed, u"|");
        const bool hardBreak = line.size() >= 2 && line.substr(line.size() - 2) == u"  ";
        if (EndsInJapanese(line) && !ownsLine && !hardBreak && !StartsMarkdownBlock(next))
            broken.push_back(static_cast<int>(i) + 1);
    }
    return broken;
}

struct Case {
    const char* name;
    Markup markup;
    std::u16string_view text;
    std::vector<int> broken;
};

TEST(DocumentText, JapaneseLineBreaksAreFoundOnlyInsideABlock) {
    const Case cases[] = {
        {"html_paragraph", Markup::Html, u"<p>一文目です。\n二文目です。</p>", {1}},
        {"html_list_item", Markup::Html, u"  <li>枠にドラッグします。\n      枠の中なら</li>", {1}},
        {"html_cell_before_inline_tag", Markup::Html, u"<td>コピーします。\n<strong>元の</strong></td>", {1}},
        {"html_blank_line_is_still_the_paragraph", Markup::Html, u"<p>一文目です。\n\n二文目です。</p>", {1}},
        {"html_block_ends", Markup::Html, u"<p>一文目です。</p>\n<td>一。\n    </td>\n<h2>使い方</h2>\n<ol>", {}},
        {"html_english", Markup::Html, u"<p>An English\nparagraph keeps its breaks.</p>", {}},
        {"html_pre", Markup::Html, u"<pre>一行目。\n二行目。</pre>", {}},
        {"md_paragraph", Markup::Markdown, u"一文目です。\n二文目です。\n", {1}},
        {"md_list_item", Markup::Markdown, u"- 項目です。\n  続きです。", {1}},
        {"md_block_ends", Markup::Markdown,
         u"一文目です。\n\n## 見出し\n本文です。\n- 項目です。\n1. 番号です。\n| 表 | 行 |\n"
         u"表の前です。\n| a | b |\n改行です。  \n次です。",
         {}},
        {"md_code", Markup::Markdown, u"```\n一行目。\n二行目。\n```\n\n    一行目。\n    二行目。\n    三行目。", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BrokenJapaneseLines(c.text, c.markup), c.broken);
    }
}

// The help (the help window shows it), the README and the AppStream
// metainfo. The zip's plain-text read-me is shown as written and keeps its
// breaks.
TEST(DocumentText, JapaneseParagraphsHaveNoLineBreak) {
    const struct {
        const char* path;
        Markup markup;
    } documents[] = {
        {"ui/Readme.html", Markup::Html},
        {"README.md", Markup::Markdown},
        {"ui/mirado.metainfo.xml.in", Markup::Html},
    };
    for (const auto& document : documents) {
        SCOPED_TRACE(document.path);
        std::ifstream file(std::string(MIRADO_SOURCE_DIR) + "/" + document.path, std::ios::binary);
        ASSERT_TRUE(file) << "cannot open";
        std::ostringstream bytes;
        bytes << file.rdbuf();
        const std::u16string text = FromUtf8(bytes.str());
        const std::vector<std::u16string_view> lines = Lines(text);
        for (const int number : BrokenJapaneseLines(text, document.markup)) {
            ADD_FAILURE() << "line " << number << " breaks Japanese text: " << ToUtf8(lines[number - 1]);
        }
    }
}

}  // namespace
}  // namespace mirado
