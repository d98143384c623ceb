#pragma once

#include <string>
#include <string_view>

#include "Error.h"

namespace mirado {

// The program's own numbers for refusals of the file services.
inline constexpr int kErrorNotRegularFile = 1002;

// What went wrong, as a Japanese sentence, for an errno value.
std::u16string SystemReason(int errorNumber);

// sentence with its "%1" replaced by path.
std::u16string WithPath(std::u16string_view sentence, std::u16string_view path);

// An Error for a failed system call: the errno value as the number, and a
// description made of what failed, naming the path, and why. action is a
// sentence with "%1" for the path, such as u"コピー元のファイル「%1」を開けません。".
Error SystemError(int errorNumber, std::u16string_view action, std::u16string_view path);

// The path names something that is not a regular file (a folder, FIFO,
// device or socket), so it is not copied or read.
Error NotRegularFileError(std::u16string_view path);

}  // namespace mirado
