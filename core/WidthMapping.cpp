#include "WidthMapping.h"

#include <algorithm>
#include <array>

namespace mirado {

namespace {

constexpr char16_t kNone = 0;

constexpr char16_t kSpace = u' ';
constexpr char16_t kIdeographicSpace = u'\u3000';

// Printable ASCII U+0021..U+007E has its full-width forms in the same order
// at U+FF01..U+FF5E.
constexpr char16_t kAsciiFirst = u'!';
constexpr char16_t kAsciiLast = u'~';
constexpr char16_t kFullAsciiFirst = u'！';
constexpr char16_t kFullAsciiLast = u'～';

// The signs whose full-width forms are U+FFE0..U+FFE6, in that order.
constexpr std::array<char16_t, 7> kHalfSigns = {u'¢', u'£', u'¬', u'¯', u'¦', u'¥', u'₩'};
constexpr char16_t kFullSignsFirst = u'￠';
constexpr char16_t kFullSignsLast = u'￦';
static_assert(kFullSignsLast - kFullSignsFirst + 1 == kHalfSigns.size());

constexpr char16_t kHalfVoicedMark = u'ﾞ';
constexpr char16_t kHalfSemiVoicedMark = u'ﾟ';
constexpr char16_t kCombiningVoicedMark = u'\u3099';
constexpr char16_t kCombiningSemiVoicedMark = u'\u309A';

// One half-width katakana or punctuation mark with its full-width form and,
// where they exist, the full-width forms it takes with ﾞ and with ﾟ.
struct KanaForms {
    char16_t half;
    char16_t full;
    char16_t voiced;
    char16_t semiVoiced;
};

// U+FF61..U+FF9F in code point order, so a half-width character finds its
// entry by offset.
constexpr std::array<KanaForms, 63> kKana = {{
    {u'｡', u'。', kNone, kNone},
    {u'｢', u'「', kNone, kNone},
    {u'｣', u'」', kNone, kNone},
    {u'､', u'、', kNone, kNone},
    {u'･', u'・', kNone, kNone},
    {u'ｦ', u'ヲ', u'ヺ', kNone},
    {u'ｧ', u'ァ', kNone, kNone},
    {u'ｨ', u'ィ', kNone, kNone},
    {u'ｩ', u'ゥ', kNone, kNone},
    {u'ｪ', u'ェ', kNone, kNone},
    {u'ｫ', u'ォ', kNone, kNone},
    {u'ｬ', u'ャ', kNone, kNone},
    {u'ｭ', u'ュ', kNone, kNone},
    {u'ｮ', u'ョ', kNone, kNone},
    {u'ｯ', u'ッ', kNone, kNone},
    {u'ｰ', u'ー', kNone, kNone},
    {u'ｱ', u'ア', kNone, kNone},
    {u'ｲ', u'イ', kNone, kNone},
    {u'ｳ', u'ウ', u'ヴ', kNone},
    {u'ｴ', u'エ', kNone, kNone},
    {u'ｵ', u'オ', kNone, kNone},
    {u'ｶ', u'カ', u'ガ', kNone},
    {u'ｷ', u'キ', u'ギ', kNone},
    {u'ｸ', u'ク', u'グ', kNone},
    {u'ｹ', u'ケ', u'ゲ', kNone},
    {u'ｺ', u'コ', u'ゴ', kNone},
    {u'ｻ', u'サ', u'ザ', kNone},
    {u'ｼ', u'シ', u'ジ', kNone},
    {u'ｽ', u'ス', u'ズ', kNone},
    {u'ｾ', u'セ', u'ゼ', kNone},
    {u'ｿ', u'ソ', u'ゾ', kNone},
    {u'ﾀ', u'タ', u'ダ', kNone},
    {u'ﾁ', u'チ', u'ヂ', kNone},
    {u'ﾂ', u'ツ', u'ヅ', kNone},
    {u'ﾃ', u'テ', u'デ', kNone},
    {u'ﾄ', u'ト', u'ド', kNone},
    {u'ﾅ', u'ナ', kNone, kNone},
    {u'ﾆ', u'ニ', kNone, kNone},
    {u'ﾇ', u'ヌ', kNone, kNone},
    {u'ﾈ', u'ネ', kNone, kNone},
    {u'ﾉ', u'ノ', kNone, kNone},
    {u'ﾊ', u'ハ', u'バ', u'パ'},
    {u'ﾋ', u'ヒ', u'ビ', u'ピ'},
    {u'ﾌ', u'フ', u'ブ', u'プ'},
    {u'ﾍ', u'ヘ', u'ベ', u'ペ'},
    {u'ﾎ', u'ホ', u'ボ', u'ポ'},
    {u'ﾏ', u'マ', kNone, kNone},
    {u'ﾐ', u'ミ', kNone, kNone},
    {u'ﾑ', u'ム', kNone, kNone},
    {u'ﾒ', u'メ', kNone, kNone},
    {u'ﾓ', u'モ', kNone, kNone},
    {u'ﾔ', u'ヤ', kNone, kNone},
    {u'ﾕ', u'ユ', kNone, kNone},
    {u'ﾖ', u'ヨ', kNone, kNone},
    {u'ﾗ', u'ラ', kNone, kNone},
    {u'ﾘ', u'リ', kNone, kNone},
    {u'ﾙ', u'ル', kNone, kNone},
    {u'ﾚ', u'レ', kNone, kNone},
    {u'ﾛ', u'ロ', kNone, kNone},
    {u'ﾜ', u'ワ', u'ヷ', kNone},
    {u'ﾝ', u'ン', kNone, kNone},
    // A mark that composes with nothing becomes the spacing ゛ or ゜: the
    // combining U+3099 and U+309A would fuse with whatever precedes them.
    {u'ﾞ', u'゛', kNone, kNone},
    {u'ﾟ', u'゜', kNone, kNone},
}};

const KanaForms* FindHalfWidthKana(char16_t c) {
    const char16_t first = kKana.front().half;
    const char16_t last = kKana.back().half;
    return c >= first && c <= last ? &kKana[c - first] : nullptr;
}

// The full-width form of an ASCII character, the space or a sign; any other
// character is returned as it is.
char16_t FullWidthSymbol(char16_t c) {
    if (c >= kAsciiFirst && c <= kAsciiLast) {
        return static_cast<char16_t>(c - kAsciiFirst + kFullAsciiFirst);
    }
    if (c == kSpace) {
        return kIdeographicSpace;
    }
    if (const auto* sign = std::ranges::find(kHalfSigns, c); sign != kHalfSigns.end()) {
        return static_cast<char16_t>(kFullSignsFirst + (sign - kHalfSigns.begin()));
    }
    return c;
}

// Full-width forms whose ASCII counterparts file systems forbid in names
// (Windows all of them, every system "/"): they stay full-width, so that a
// name such as 質問？ can still be stored.
constexpr std::u16string_view kKeptFullWidth = u"＜＞：＂／＼｜？＊";

// The reverse of FullWidthSymbol, but for kKeptFullWidth.
char16_t HalfWidthSymbol(char16_t c) {
    if (kKeptFullWidth.find(c) != std::u16string_view::npos) {
        return c;
    }
    if (c >= kFullAsciiFirst && c <= kFullAsciiLast) {
        return static_cast<char16_t>(c - kFullAsciiFirst + kAsciiFirst);
    }
    if (c == kIdeographicSpace) {
        return kSpace;
    }
    if (c >= kFullSignsFirst && c <= kFullSignsLast) {
        return kHalfSigns[c - kFullSignsFirst];
    }
    return c;
}

// Appends the half-width spelling of a full-width katakana or kana
// punctuation mark: the base, followed by ﾞ or ﾟ for a voiced or semi-voiced
// one. Returns false when c has no half-width spelling.
bool AppendHalfWidthKana(std::u16string& out, char16_t c) {
    // kNone marks a missing form, so NUL must not be looked up.
    if (c == kNone) {
        return false;
    }
    for (const KanaForms& kana : kKana) {
        if (c == kana.full || c == kana.voiced || c == kana.semiVoiced) {
            out.push_back(kana.half);
            if (c == kana.voiced) {
                out.push_back(kHalfVoicedMark);
            } else if (c == kana.semiVoiced) {
                out.push_back(kHalfSemiVoicedMark);
            }
            return true;
        }
    }
    return false;
}

}  // namespace

// Every character these conversions name lies in the BMP outside the
// surrogate range, so walking the text by code unit never matches half of a
// surrogate pair and leaves such pairs intact.

std::u16string ToFullWidth(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const KanaForms* kana = FindHalfWidthKana(c);
        if (kana == nullptr) {
            out.push_back(FullWidthSymbol(c));
            continue;
        }
        const char16_t next = i + 1 < text.size() ? text[i + 1] : kNone;
        const char16_t composed = next == kHalfVoicedMark       ? kana->voiced
                                  : next == kHalfSemiVoicedMark ? kana->semiVoiced
                                                                : kNone;
        if (composed != kNone) {
            out.push_back(composed);
            ++i;  // the mark is part of the composed character
        } else {
            out.push_back(kana->full);
        }
    }
    return out;
}

std::u16string ToHalfWidth(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    bool previousNarrowed = false;
    for (const char16_t c : text) {
        // A combining mark, as in names decomposed on other systems, belongs
        // to the letter before it: it is narrowed only along with that
        // letter (カ + U+3099 gives ｶﾞ, while か + U+3099 stays as it is).
        if (c == kCombiningVoicedMark || c == kCombiningSemiVoicedMark) {
            out.push_back(!previousNarrowed ? c : c == kCombiningVoicedMark ? kHalfVoicedMark : kHalfSemiVoicedMark);
            continue;
        }
        if (AppendHalfWidthKana(out, c)) {
            previousNarrowed = true;
        } else {
            const char16_t half = HalfWidthSymbol(c);
            previousNarrowed = half != c;
            out.push_back(half);
        }
    }
    return out;
}

}  // namespace mirado
