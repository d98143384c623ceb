#include "CoreErrors.h"

#include "ErrorText.h"

namespace mirado {

namespace {

// What makes a name unusable, said in the terms of the system it runs on.
constexpr std::u16string_view kInvalidNewName =
    u"「%1」の新しい名前「%2」は、ファイル名に使用できません。"
    u"空の名前、「.」と「..」、「/」を含む名前は無効です。"
#ifdef _WIN32
    u"CON、PRN、AUX、NUL、COM1～COM9、LPT1～LPT9 などの予約された名前、"
    u"\\ / : * ? \" < > | または制御文字を含む名前、末尾がピリオドか空白の名前も無効です。"
#endif
    u"変換の種類か置換後の文字列を変えてから、もう一度ドロップしてください。";

}  // namespace

Error CounterOverflowError(std::u16string_view target) {
    return Error(kErrorCounterOverflow,
                 WithPath(u"「%1」の名前は、番号（1）から（32767）を付けたものまで既にすべて使われているため、コピーできません。「_rename」フォルダーの中を整理してから、もう一度ドロップしてください。", target));
}

Error InvalidNewNameError(std::u16string_view source, std::u16string_view name) {
    return Error(kErrorInvalidNewName, WithPaths(kInvalidNewName, source, name));
}

Error NameNotKeptError(std::u16string_view target) {
    return Error(kErrorNameNotKept,
                 WithPath(u"コピー先のファイル「%1」を作成できません。作成したファイルが、直後に別のファイルに変わりました（3 回続けて）。"
                          u"このディスクが作成したファイルを保てていないか、別のプログラムが同じ名前を使い続けています。"
                          u"ディスクを確認してから、もう一度ドロップしてください。",
                          target));
}

Error TooManyFilesError() {
    return Error(kErrorInvalidPropertyValue, u"ドロップされたファイルが多すぎるため、進行状況を表示できません。");
}

Error NotLocalPathError(std::u16string_view path) {
    return Error(kErrorNotLocalPath,
                 WithPath(u"「%1」は、このコンピューターにあるファイルの完全なパスではないため、処理できません。", path));
}

}  // namespace mirado
