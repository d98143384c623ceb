#include "ErrorText.h"

#include <string>

#include "SystemErrorCodes.h"
#include "Utf.h"

namespace mirado {

std::u16string ReasonText(int number) {
    switch (number) {
    case kErrorNotFound: return u"ファイルまたはフォルダーが見つかりません。";
    case kErrorAccessDenied:
    case kErrorNotPermitted:
        return u"アクセスが拒否されました。ファイルとフォルダーのアクセス許可を確認してから、もう一度ドロップしてください。";
    case kErrorDiskFull:
        return u"ディスクの空き領域が不足しています。不要なファイルを削除して空き領域を増やしてから、"
               u"もう一度ドロップしてください。";
    case kErrorQuotaExceeded:
        return u"ディスクの使用量の上限を超えました。不要なファイルを削除してから、もう一度ドロップしてください。";
    case kErrorReadOnly: return u"読み取り専用の場所には書き込めません。";
    case kErrorExists: return u"同じ名前のファイルまたはフォルダーが既にあります。";
    case kErrorIsAFolder: return u"この名前のものはファイルではなく、フォルダーです。";
    case kErrorNotAFolder: return u"パスの途中にフォルダーではないものがあります。";
    case kErrorNameTooLong: return u"ファイル名またはパスが長すぎます。";
    case kErrorLinkLoop: return u"シンボリック リンクが多すぎるか、循環しています。";
    case kErrorInputOutput: return u"ディスクの読み書き中にエラーが発生しました。";
    case kErrorFileTooLarge: return u"ファイルが大きすぎます。";
    case kErrorTooManyOpenFiles:
    case kErrorTooManyOpenFilesInSystem: return u"開いているファイルが多すぎます。";
    case kErrorBusy:
    case kErrorTextBusy:
        return u"ファイルが使用中です。このファイルを使用しているアプリを閉じてから、もう一度ドロップしてください。";
    case kErrorInvalidArgument: return u"この場所ではこの操作を行えません。";
    case kErrorNotSupported: return u"この場所ではこの操作に対応していません。";
    case kErrorOutOfMemory: return u"メモリが不足しています。";
    case kErrorInterrupted: return u"操作が中断されました。";
    default: return u"システム エラーが発生しました。";
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

Error ReasonError(int number, std::u16string_view action, std::u16string_view path) {
    return Error(number, WithPath(action, path) + ReasonText(number));
}

Error SystemError(long systemCode, std::u16string_view action, std::u16string_view path) {
    const int number = ErrorNumberOfSystemCode(systemCode);
    if (number != kErrorOtherSystemFailure) return ReasonError(number, action, path);
    return Error(number, WithPath(action, path) + u"システム エラーが発生しました（エラー コード " + Decimal(systemCode) +
                             u"）。");
}

Error OutOfMemoryError() { return Error(kErrorOutOfMemory, ReasonText(kErrorOutOfMemory)); }

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

Error NameRefusedError(std::u16string_view path) {
    return Error(kErrorInvalidArgument,
                 WithPath(u"コピー先のファイル「%1」を作成できません。このディスクはこのファイル名を受け付けません"
                          u"（FAT や exFAT のディスクでは「\" * : < > ? \\ |」を名前に使えず、ディスクによっては日本語の名前も使えません）。"
                          u"変換の種類か置換後の文字列を変えてから、もう一度ドロップしてください。",
                          path));
}

Error NoFileIdentityError(std::u16string_view path) {
    return Error(kErrorNotSupported,
                 WithPath(u"コピー先のフォルダー「%1」のディスクはファイルごとに別の番号（i ノード番号）を示さないため、"
                          u"コピーに名前を付けるときに、ほかのプログラムのファイルを置き換えないことを確かめられません。"
                          u"別のディスクにコピーしてください。",
                          path));
}

Error NoCalendarDateError(std::u16string_view path) {
    return Error(kErrorNoCalendarDate,
                 WithPath(u"ファイル「%1」の最終更新日時は西暦 1 年から 9999 年までの日時ではないため、名前にできません。",
                          path));
}

}  // namespace mirado
