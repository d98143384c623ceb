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
// later and names the batch gives its copies are added, and numbering a
// target goes on where it last stopped.
class TakenNames {
public:
    explicit TakenNames(FileServices& fso) : fso_(fso) {}

    enum class Known {
        Taken,     // a file of the batch or one found there has the name
        Free,      // the folder was read in full without it: only another
                   // program can have taken it since
        NotListed  // the folder could not be read in full
    };
    // What the batch knows of the name that path ends in.
    Known Lookup(std::u16string_view path);
    void Add(std::u16string_view path);

    // The number that numbering target goes on from: every number below it
    // was found taken or has been given out. 1 for a target not numbered yet.
    int NextNumber(std::u16string_view target) const;
    void SetNextNumber(std::u16string_view target, int number);

private:
    struct Folder {
        std::unordered_set<std::u16string> names;  // name keys
        bool listed = false;                       // read in full
    };
    // The folder that path is in, read when first asked about, and the key
    // of the name that path ends in, as it will be stored.
    Folder& FolderOf(std::u16string_view path, std::u16string& nameKey);

    FileServices& fso_;
    std::unordered_map<std::u16string, Folder> folders_;   // by folder key
    std::unordered_map<std::u16string, int> nextNumbers_;  // by the target's key
    // The folder asked about last, by its path as given: the files of a
    // batch mostly go to one folder.
    std::u16string lastPath_;
    Folder* last_ = nullptr;
};

}  // namespace mirado
