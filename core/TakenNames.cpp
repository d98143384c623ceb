#include "TakenNames.h"

#include "FileServices.h"
#include "PathText.h"

namespace mirado {

bool TakenNames::Contains(std::u16string_view path) {
    const std::u16string stored = StoredPath(path);
    return NamesIn(ParentOf(stored)).contains(fso_.NameKey(LastComponent(stored)));
}

void TakenNames::Add(std::u16string_view path) {
    const std::u16string stored = StoredPath(path);
    NamesIn(ParentOf(stored)).insert(fso_.NameKey(LastComponent(stored)));
}

int TakenNames::NextNumber(std::u16string_view target) const {
    const auto it = nextNumbers_.find(fso_.NameKey(StoredPath(target)));
    return it == nextNumbers_.end() ? 1 : it->second;
}

void TakenNames::SetNextNumber(std::u16string_view target, int number) {
    nextNumbers_[fso_.NameKey(StoredPath(target))] = number;
}

std::unordered_set<std::u16string>& TakenNames::NamesIn(std::u16string_view folder) {
    const auto [it, firstUse] = folders_.try_emplace(fso_.NameKey(folder));
    if (firstUse) {
        for (const std::u16string& name : fso_.ListFileNames(folder)) it->second.insert(fso_.NameKey(name));
    }
    return it->second;
}

}  // namespace mirado
