#include "ErrorText.h"

#include <cerrno>
#include <string>

#include "Utf.h"

namespace mirado {

std::u16string SystemReason(int errorNumber) {
    switch (errorNumber) {
    case ENOENT: return u"ファイルまたはフォルダーが見つかりません。";
    case EACCES:
    case EPERM: return u"アクセスが拒否されました。";
    case ENOSPC: return u"ディスクの空き領域が不足しています。";
#ifdef EDQUOT
    case EDQUOT: return u"ディスクの使用量の上限を超えました。";
#endif
    case EROFS: return u"読み取り専用の場所には書き込めません。";
    case EEXIST: return u"同じ名前のファイルまたはフォルダーが既にあります。";
    case EISDIR: return u"フォルダーです。";
    case ENOTDIR: return u"パスの途中にフォルダーではないものがあります。";
    case ENAMETOOLONG: return u"ファイル名またはパスが長すぎます。";
    case ELOOP: return u"シンボリック リンクが多すぎるか、循環しています。";
    case EIO: return u"ディスクの読み書き中にエラーが発生しました。";
    case EFBIG: return u"ファイルが大きすぎます。";
    case EMFILE:
    case ENFILE: return u"開いているファイルが多すぎます。";
    case EBUSY:
    case ETXTBSY: return u"ファイルが使用中です。";
    case EINVAL: return u"この場所ではこの操作を行えません。";
    case ENOMEM: return u"メモリが不足しています。";
    case EINTR: return u"操作が中断されました。";
    default: return u"システム エラーが発生しました（エラー番号 " + Decimal(errorNumber) + u"）。";
    }
}

std::u16string WithPaths(std::u16string_view sentence, std::u16string_view first, std::u16string_view second) {
    std::u16string text;
    for (size_t at = 0; at < sentence.size(); ++at) {
        const bool placeholder = sentence[at] == u'%' && at + 1 < sentence.size();
        if (placeholder && sentence[at + 1] == u'1') {
            text += DisplayText(first), ++at;
        } else if (placeholder && sentence[at + 1] == u'2') {
            text += DisplayText(second), ++at;
        } else {
            text.push_back(sentence[at]);
        }
    }
    return text;
}

std::u16string WithPath(std::u16string_view sentence, std::u16string_view path) {
    return WithPaths(sentence, path, {});
}

Error SystemError(int errorNumber, std::u16string_view action, std::u16string_view path) {
    std::u16string description = WithPath(action, path);
    description += SystemReason(errorNumber);
    return Error(errorNumber, std::move(description));
}

Error NotRegularFileError(std::u16string_view path) {
    return Error(kErrorNotRegularFile, WithPath(u"「%1」は通常のファイルではないため、処理できません。", path));
}

Error NotRealFolderError(std::u16string_view path) {
    return Error(kErrorNotRealFolder,
                 WithPath(u"「%1」はフォルダーではありません（シンボリック リンクやファイルなど）。"
                          u"この名前のものを移動するか削除してから、もう一度ドロップしてください。",
                          path));
}

Error SourceChangedError(std::u16string_view path) {
    return Error(kErrorSourceChanged,
                 WithPath(u"コピー元のファイル「%1」がコピー中に変更されたため、コピーを取り消しました。", path));
}

Error NoCalendarDateError(std::u16string_view path) {
    return Error(kErrorNoCalendarDate,
                 WithPath(u"ファイル「%1」の最終更新日時は西暦 1 年から 9999 年までの日時ではないため、名前にできません。",
                          path));
}

}  // namespace mirado
