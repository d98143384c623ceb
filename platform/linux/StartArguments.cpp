#include "StartArguments.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Utf.h"

namespace mirado {

std::vector<std::u16string> StartArguments(int argc, char** argv) {
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(FromUtf8(argv[i]));
    return arguments;
}

std::u16string StartPath(std::u16string_view argument) {
    if (argument.empty() || argument.front() == u'/') return std::u16string(argument);
    // The working folder as bytes: its name need not be UTF-8 either.
    std::string folder(256, '\0');
    while (::getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE) return std::u16string(argument);  // gone: the batch refuses the relative path
        folder.resize(folder.size() * 2);
    }
    folder.resize(std::strlen(folder.c_str()));
    // "./a.txt", as a shell completes it, names the same file as "a.txt".
    while (argument.starts_with(u"./")) {
        argument.remove_prefix(2);
        while (argument.starts_with(u'/')) argument.remove_prefix(1);
    }
    std::u16string path = FromUtf8(folder);
    if (!path.ends_with(u'/')) path += u'/';
    return path.append(argument);
}

void TellStarter(std::u16string_view text, bool error) {
    const std::string bytes = ToUtf8(text);
    std::FILE* stream = error ? stderr : stdout;
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

}  // namespace mirado
