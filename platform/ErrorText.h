#pragma once

#include <string>
#include <string_view>

#include "Error.h"

namespace mirado {

// The program's own numbers for refusals of the file services.
inline constexpr int kErrorNotRegularFile = 1002;
inline constexpr int kErrorNotRealFolder = 1005;
inline constexpr int kErrorSourceChanged = 1006;
inline constexpr int kErrorNoCalendarDate = 1007;

// What went wrong, as a Japanese sentence, for an errno value.
std::u16string SystemReason(int errorNumber);

// sentence with its "%1" replaced by path, shown as the user can read it
// (undecodable bytes as "\xNN").
std::u16string WithPath(std::u16string_view sentence, std::u16string_view path);
// The same with "%1" and "%2" replaced by first and second, in one pass.
std::u16string WithPaths(std::u16string_view sentence, std::u16string_view first, std::u16string_view second);

// An Error for a failed system call: the errno value as the number, and a
// description made of what failed, naming the path, and why. action is a
// sentence with "%1" for the path, such as u"コピー元のファイル「%1」を開けません。".
Error SystemError(int errorNumber, std::u16string_view action, std::u16string_view path);

// The path names something that is not a regular file (a folder, FIFO,
// device or socket), so it is not copied or read.
Error NotRegularFileError(std::u16string_view path);

// The output folder's name is taken by something that is not a folder of
// its own: a symbolic link (to anything), a file, a FIFO.
Error NotRealFolderError(std::u16string_view path);

// The source was written to while it was copied; the copy was discarded.
Error SourceChangedError(std::u16string_view path);

// The file's modification time is no date with a four-digit year.
Error NoCalendarDateError(std::u16string_view path);

}  // namespace mirado
