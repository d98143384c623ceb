#include "TakenNames.h"

#include <functional>
#include <optional>
#include <vector>

#include "FileServices.h"
#include "PathText.h"

namespace mirado {

TakenNames::Known TakenNames::Lookup(std::u16string_view path) {
    std::u16string key;
    const Folder& folder = FolderOf(path, key);
    if (folder.names.contains(key)) return Known::Taken;
    if (!folder.listed || folder.given.contains(std::hash<std::u16string>{}(key))) return Known::Unsure;
    return Known::Free;
}

void TakenNames::Add(std::u16string_view path) {
    std::u16string key;
    Folder& folder = FolderOf(path, key);
    folder.names.insert(std::move(key));
}

void TakenNames::AddGiven(std::u16string_view path) {
    std::u16string key;
    Folder& folder = FolderOf(path, key);
    folder.given.insert(std::hash<std::u16string>{}(key));
}

int TakenNames::NextNumber(std::u16string_view target) const {
    const auto it = nextNumbers_.find(fso_.NameKey(StoredPath(target)));
    return it == nextNumbers_.end() ? 1 : it->second;
}

void TakenNames::SetNextNumber(std::u16string_view target, int number) {
    nextNumbers_[fso_.NameKey(StoredPath(target))] = number;
}

TakenNames::Folder& TakenNames::FolderOf(std::u16string_view path, std::u16string& nameKey) {
    const std::u16string_view folderPath = ParentOf(path);  // storing drops a final "." of the name only
    nameKey = fso_.NameKey(StoredName(LastComponent(path)));
    if (last_ != nullptr && folderPath == lastPath_) return *last_;

    const auto [it, firstUse] = folders_.try_emplace(fso_.NameKey(folderPath));
    if (firstUse) {
        const std::optional<std::vector<std::u16string>> names = fso_.ListFileNames(folderPath);
        it->second.listed = names.has_value();
        if (names) {
            for (const std::u16string& name : *names) it->second.names.insert(fso_.NameKey(name));
        }
    }
    lastPath_ = folderPath;
    last_ = &it->second;
    return it->second;
}

}  // namespace mirado
