#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace mirado {

class FileServices;

// What one batch knows of the names taken in its output folders, so that
// numbering does not probe （1）, （2）, ... again for every file. A folder's
// names are read once, when the batch first asks about it; names found taken
// later are added, and numbering a target goes on where it last stopped.
// What the batch creates needs no entry of its own: it only ever creates
// names that numbering has passed, or that the probe confirming every free
// name finds taken next time.
class TakenNames {
public:
    explicit TakenNames(FileServices& fso) : fso_(fso) {}

    // Whether the name that path ends in is known to be taken in its folder.
    bool Contains(std::u16string_view path);
    void Add(std::u16string_view path);

    // The number that numbering target goes on from: every number below it
    // was found taken or has been given out. 1 for a target not numbered yet.
    int NextNumber(std::u16string_view target) const;
    void SetNextNumber(std::u16string_view target, int number);

private:
    std::unordered_set<std::u16string>& NamesIn(std::u16string_view folder);

    FileServices& fso_;
    std::unordered_map<std::u16string, std::unordered_set<std::u16string>> folders_;  // name keys by folder key
    std::unordered_map<std::u16string, int> nextNumbers_;                            // by the target's key
};

}  // namespace mirado
