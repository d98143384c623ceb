#include "FileServices.h"

#include "BatchState.h"
#include "ErrorText.h"
#include "PathText.h"
#include "SystemCalls.h"

// What the file services are on every system: the path members answer from
// the path rules of PathText.h, and a batch's state comes and goes with its
// scope. Each system's folder holds the rest.

namespace mirado {

FileServices::FileServices(SystemCalls& calls) : calls_(&calls) {}

FileServices::FileServices() : calls_(&SystemCalls::Real()) {}

FileServices::~FileServices() = default;

FileServices::BatchScope::BatchScope(FileServices& fso) : fso_(fso) {
    fso.batch_ = std::make_unique<BatchState>(*fso.calls_);
}

FileServices::BatchScope::~BatchScope() { fso_.batch_.reset(); }

std::u16string FileServices::GetBaseName(std::u16string_view path) const { return std::u16string(BaseNameOf(path)); }

std::u16string FileServices::GetExtensionName(std::u16string_view path) const {
    return std::u16string(ExtensionOf(path));
}

std::u16string FileServices::GetParentFolderName(std::u16string_view path) const {
    return std::u16string(ParentOf(path));
}

void FileServices::CopyNoReplace(std::u16string_view source, std::u16string_view folder, std::u16string_view name,
                                 std::stop_token stop) const {
    CopyData(source, folder, name, std::move(stop))->Name(name);
}

bool FileServices::IsAbsolutePath(std::u16string_view path) const { return IsFullPath(path); }

void FileServices::CreateFolder(std::u16string_view path) const {
    // Each missing folder below the root from the top down; existing ones
    // are fine.
    for (std::size_t at = RootLength(path) + 1; at <= path.size(); ++at) {
        if (at != path.size() && !IsPathSeparator(path[at])) continue;
        if (IsPathSeparator(path[at - 1])) continue;
        const std::u16string_view prefix = path.substr(0, at);
        if (const long error = MakeOneFolder(prefix)) throw SystemError(error, kCannotCreateFolder, prefix);
    }
    if (!FolderExists(path)) throw NotRealFolderError(path);
}

}  // namespace mirado
