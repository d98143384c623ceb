#pragma once

#include <string>

namespace mirado {

class BatchWindow;
class FileServices;
class TakenNames;

// The output folder beside source, created when missing, joined with the
// new name. Throws before creating anything when source is no full local
// path or no regular file.
std::u16string GetDestPath(BatchWindow& window, const std::u16string& source);

// The source's parent folder followed by the separator and "_rename".
std::u16string GetOutputFolder(FileServices& fso, const std::u16string& source);

// Creates the folder and its missing parents; throws when it cannot.
void CreateFolder(FileServices& fso, const std::u16string& path);

// target itself when no file exists there, else the first free
// "stem（n）.ext" for n = 1, 2, ... 32767. taken is what the batch knows of
// the names in the folder.
std::u16string GetUniquePath(FileServices& fso, TakenNames& taken, const std::u16string& target);

}  // namespace mirado
