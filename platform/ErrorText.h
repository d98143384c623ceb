#pragma once

#include <string>
#include <string_view>

#include "Error.h"
#include "ErrorNumbers.h"

namespace mirado {

// What the file services were doing when the system failed, with "%1" for
// the path: the first half of a description, the same on every system.
inline constexpr std::u16string_view kCannotOpenSource = u"コピー元のファイル「%1」を開けません。";
inline constexpr std::u16string_view kCannotOpenTargetFolder = u"コピー先のフォルダー「%1」を開けません。";
inline constexpr std::u16string_view kCannotCreateTarget = u"コピー先のファイル「%1」を作成できません。";
inline constexpr std::u16string_view kCannotWriteTarget = u"コピー先のファイル「%1」への書き込みを完了できません。";
inline constexpr std::u16string_view kCannotTestTarget = u"コピー先のファイル「%1」があるかどうかを確認できません。";
inline constexpr std::u16string_view kCannotReadDate = u"ファイル「%1」の最終更新日時を取得できません。";
inline constexpr std::u16string_view kCannotCreateFolder = u"フォルダー「%1」を作成できません。";

// Why a system call failed, as Japanese sentences for a number of the
// program's table: what happened and, for the failures a user can mend,
// what to do.
std::u16string ReasonText(int number);

// sentence with "%1" (and "%2") replaced by the paths, shown as the user
// can read them (undecodable bytes as "\xNN").
std::u16string WithPath(std::u16string_view sentence, std::u16string_view path);
std::u16string WithPaths(std::u16string_view sentence, std::u16string_view first, std::u16string_view second);

// An Error for a failed system call. systemCode is the system's own code
// (errno, or GetLastError() on Windows), translated into the program's
// number; the description says what failed, naming the path, and why.
// action is a sentence with "%1" for the path, such as
// u"コピー元のファイル「%1」を開けません。".
Error SystemError(long systemCode, std::u16string_view action, std::u16string_view path);

// A failure that is already one of the program's numbers.
Error ReasonError(int number, std::u16string_view action, std::u16string_view path);

Error OutOfMemoryError();

// The path names something that is not a regular file (a folder, FIFO,
// device or socket), so it is not copied or read.
Error NotRegularFileError(std::u16string_view path);

// The output folder's name is taken by something that is not a folder of
// its own: a symbolic link or junction (to anything), a file, a FIFO.
Error NotRealFolderError(std::u16string_view path);

// The source was written to while it was copied; the copy was discarded.
Error SourceChangedError(std::u16string_view path);

// The disk at path refused the name (FAT and exFAT refuse " * : < > ? \ |).
Error NameRefusedError(std::u16string_view path);

// The disk of the folder at path gives files no identity (inode numbers)
// to prove by that a name is held by our own file.
Error NoFileIdentityError(std::u16string_view path);

// The file's modification time is no date with a four-digit year.
Error NoCalendarDateError(std::u16string_view path);

}  // namespace mirado
