#pragma once

#include <string>
#include <string_view>

#include "ConversionTypes.h"

namespace mirado {

class FileServices;
class TakenNames;

// Where a copy goes: a folder and the name in it, kept apart so that the
// name is never taken from a path that could hold more than one.
struct CopyTarget {
    std::u16string folder;
    std::u16string name;
    bool createdFolder = false;  // the folder was made for this copy
};

// The output folder "_rename" beside source and the new name of source by
// the conversion type. A source that is no full local path and a new name
// that is no single usable file name are refused before anything is
// created; the folder is created when missing, once source is known to be
// a file that can be copied.
CopyTarget GetDestPath(FileServices& fso, std::u16string_view source, int type, const ReplaceTexts& texts);

// name itself when no file of that name is in folder, else the first free
// "stem（n）.ext" for n = 1, 2, ... 32767. taken is what the batch knows of
// the names in the folder.
std::u16string GetUniquePath(FileServices& fso, TakenNames& taken, std::u16string_view folder, std::u16string_view name);

}  // namespace mirado
