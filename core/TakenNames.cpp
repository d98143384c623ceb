#include "TakenNames.h"

#include <functional>
#include <optional>
#include <vector>

#include "FileServices.h"
#include "PathText.h"

namespace mirado {

TakenNames::Known TakenNames::Lookup(std::u16string_view folder, std::u16string_view name) {
    const Folder& known = FolderAt(folder);
    const std::u16string key = KeyOf(name);
    if (known.names.contains(key)) return Known::Taken;
    if (!known.listed || known.given.contains(std::hash<std::u16string>{}(key))) return Known::Unsure;
    return Known::Free;
}

void TakenNames::Add(std::u16string_view folder, std::u16string_view name) { FolderAt(folder).names.insert(KeyOf(name)); }

void TakenNames::AddGiven(std::u16string_view folder, std::u16string_view name) {
    FolderAt(folder).given.insert(std::hash<std::u16string>{}(KeyOf(name)));
}

int TakenNames::NextNumber(std::u16string_view folder, std::u16string_view name) {
    const Folder& known = FolderAt(folder);
    const auto it = known.nextNumbers.find(KeyOf(name));
    return it == known.nextNumbers.end() ? 1 : it->second;
}

void TakenNames::SetNextNumber(std::u16string_view folder, std::u16string_view name, int number) {
    FolderAt(folder).nextNumbers[KeyOf(name)] = number;
}

std::u16string TakenNames::KeyOf(std::u16string_view name) const { return fso_.NameKey(StoredName(name)); }

TakenNames::Folder& TakenNames::FolderAt(std::u16string_view folder) {
    if (last_ != nullptr && folder == lastPath_) return *last_;
    const auto [it, firstUse] = folders_.try_emplace(fso_.NameKey(folder));
    if (firstUse) {
        const std::optional<std::vector<std::u16string>> names = fso_.ListFileNames(folder);
        it->second.listed = names.has_value();
        if (names) {
            for (const std::u16string& name : *names) it->second.names.insert(fso_.NameKey(name));
        }
    }
    lastPath_ = folder;
    last_ = &it->second;
    return it->second;
}

}  // namespace mirado
