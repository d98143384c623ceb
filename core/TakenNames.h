#pragma once

#include <cstddef>
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
        Taken,  // a file found there has the name
        Free,   // the folder was read in full without it, and the batch has
                // not given it out: only another program can have taken it
        Unsure  // the folder could not be read in full, or the batch may
                // have given the name out: only the disk can tell
    };
    // What the batch knows of the name that path ends in.
    Known Lookup(std::u16string_view path);
    // A name found taken, and one that the batch has given a copy.
    void Add(std::u16string_view path);
    void AddGiven(std::u16string_view path);

    // The number that numbering target goes on from: every number below it
    // was found taken or has been given out. 1 for a target not numbered yet.
    int NextNumber(std::u16string_view target) const;
    void SetNextNumber(std::u16string_view target, int number);

private:
    struct Folder {
        std::unordered_set<std::u16string> names;  // keys of the names found taken
        // Hashes of the keys of the names given out, which may be as many
        // as the files of the batch: a hash takes a fraction of the memory
        // of a name, and the disk settles whether a name with the same hash
        // is taken.
        std::unordered_set<std::size_t> given;
        bool listed = false;  // read in full
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
