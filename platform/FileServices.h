#pragma once

#include <string>
#include <string_view>

#include "FileInfo.h"

namespace mirado {

class SystemCalls;

// Path splitting, existence tests, the last-modified time, the copy and the
// folder creation that the batch engine uses. Paths are UTF-16 here and are
// converted to the file system's encoding only inside these members.
// Failing members throw mirado::Error with a Japanese description that names
// the path involved.
class FileServices {
public:
    explicit FileServices(SystemCalls& calls);
    FileServices();

    // Name parts of the last component (trailing separators are ignored).
    std::u16string GetBaseName(std::u16string_view path) const;
    std::u16string GetExtensionName(std::u16string_view path) const;
    // The path without its last component; a root keeps its separator, and a
    // path with no parent gives the empty string.
    std::u16string GetParentFolderName(std::u16string_view path) const;
    // True for a full path on this computer (not relative, not a URL).
    bool IsAbsolutePath(std::u16string_view path) const;

    bool FolderExists(std::u16string_view path) const;
    bool FileExists(std::u16string_view path) const;

    // The regular file at path (symbolic links followed); throws when there is none.
    FileInfo GetFile(std::u16string_view path) const;

    // Copies the regular file source to destination, which must not exist:
    // an existing file is never replaced, and after a failure no partial file
    // is left behind. The copy keeps the source's permission bits and times.
    void CopyFile(std::u16string_view source, std::u16string_view destination) const;

    // Creates the folder and every missing folder above it. Returns false when
    // the folder could not be created; callers may ignore that.
    bool CreateFolder(std::u16string_view path) const;

private:
    SystemCalls* calls_;
};

}  // namespace mirado
