#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mirado::bench {

// The type the benchmarks copy by: lower case, a conversion with real work.
inline constexpr int kConversionType = 1;

// One batch of files, dropped on RunBatch and handed to cp in the same
// run, as the same full paths: the sources in a folder of their own, and
// where each contender puts its copies there.
struct Contest {
    std::string folder;
    std::vector<std::string> paths;      // the dropped files, in drop order
    std::vector<std::u16string> drops;   // the same, as RunBatch gets them
    std::string oursOut;                 // folder/_rename
    std::vector<std::string> cpArgs;     // the cp command for the same batch
    std::string cpOut;                   // folder/_cp_out
    std::size_t copies = 0;              // the files each contender must leave
    bool deleteOutputs = false;          // Settle deletes the outputs (a GiB of blocks) instead of moving them
    // The requests its file system has answered so far, where it counts them.
    std::function<std::uint64_t()> requests;
};

// count distinct files of size bytes each (0 for empty files) named
// prefix_000001.TXT and so on, copied with `cp -p -t _cp_out -- FILES...`.
Contest MakeDistinctFiles(const std::string& folder, const std::string& prefix, int count, std::uint64_t size);

// One 4 KiB file Photo.JPG dropped count times, so that RunBatch numbers
// the copies; cp numbers them too: `cp --backup=numbered -p -t _cp_out -- Photo.JPG...`.
Contest MakeNumbering(const std::string& folder, int count);

// Moves the outputs of earlier rounds out of the way and writes back their
// data, so that every measurement starts alike. They are moved, not deleted:
// ext4 skips recently deleted inodes when it allocates new ones, which made
// creating 10,000 files after deleting 10,000 others several times slower,
// and that would land on whichever contender came next. big deletes instead
// (one inode does not matter; a GiB of blocks does), as does a contest
// that asks for it.
void Settle(const Contest& contest, bool big = false);

// One batch of each contender; both throw when it failed. RunOursAlone copies
// one file at a time, as the batch did before its copies overlapped.
void RunOurs(const Contest& contest);
void RunOursAlone(const Contest& contest);
// How many copies at once RunOurs asks for: MIRADO_BENCH_AT_ONCE, or 0 for
// what the file services choose.
int OursAtOnce();
void RunCp(const Contest& contest);
// Throws unless the folder out holds as many copies as the contest makes.
void CheckCopies(const Contest& contest, const std::string& out);

}  // namespace mirado::bench
