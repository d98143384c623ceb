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
// target goes on where it last stopped. Only the batch's own thread, which
// names the copies in drop order, uses it; the copies under way on other
// threads never do.
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
    // What the batch knows of name in folder.
    Known Lookup(std::u16string_view folder, std::u16string_view name);
    // A name found taken, and one that the batch has given a copy.
    void Add(std::u16string_view folder, std::u16string_view name);
    void AddGiven(std::u16string_view folder, std::u16string_view name);

    // The number that numbering name in folder goes on from: every number
    // below it was found taken or has been given out. 1 for a name not
    // numbered yet.
    int NextNumber(std::u16string_view folder, std::u16string_view name);
    void SetNextNumber(std::u16string_view folder, std::u16string_view name, int number);

private:
    struct Folder {
        std::unordered_set<std::u16string> names;  // keys of the names found taken
        // Hashes of the keys of the names given out, which may be as many
        // as the files of the batch: a hash takes a fraction of the memory
        // of a name, and the disk settles whether a name with the same hash
        // is taken.
        std::unordered_set<std::size_t> given;
        std::unordered_map<std::u16string, int> nextNumbers;  // by the key of the name numbered
        bool listed = false;  // read in full
    };
    // The folder, read when first asked about.
    Folder& FolderAt(std::u16string_view folder);
    // The key of name as it will be stored.
    std::u16string KeyOf(std::u16string_view name) const;

    FileServices& fso_;
    std::unordered_map<std::u16string, Folder> folders_;  // by folder key
    // The folder asked about last, by its path as given: the files of a
    // batch mostly go to one folder.
    std::u16string lastPath_;
    Folder* last_ = nullptr;
};

}  // namespace mirado
