#include "CoreErrors.h"

#include "ErrorText.h"

namespace mirado {

Error CounterOverflowError(std::u16string_view target) {
    return Error(kErrorCounterOverflow,
                 WithPath(u"「%1」には番号（1）から（32767）までの名前がすべて使われているため、コピーできません。", target));
}

Error InvalidNewNameError(std::u16string_view source, std::u16string_view name) {
    return Error(kErrorInvalidNewName,
                 WithPaths(u"「%1」の新しいファイル名「%2」はファイル名として使えません（空の名前、「.」「..」、"
                           u"区切り文字や NUL 文字を含む名前は使えません）。",
                           source, name));
}

Error TooManyFilesError() {
    return Error(kErrorInvalidPropertyValue, u"ドロップされたファイルが多すぎるため、進行状況を表示できません。");
}

Error NotLocalPathError(std::u16string_view path) {
    return Error(kErrorNotLocalPath,
                 WithPath(u"「%1」はこのコンピューター上のファイルの完全なパスではないため、処理できません。", path));
}

}  // namespace mirado
