#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mirado {

// Whose a temporary copy is, written into its name, so that the next batch
// into that folder can tell the files of a batch that ended by force (the
// process killed, the computer switched off) from those of a batch that is
// still writing, here or on another computer sharing the folder.
struct TemporaryOwner {
    std::uint64_t host = 0;     // HashOfText of the computer's name
    std::uint64_t process = 0;  // the process id
    std::uint64_t start = 0;    // when the process started, as each system can tell it; 0: cannot be told
    bool operator==(const TemporaryOwner&) const = default;
};

// A 64-bit FNV-1a hash: the same on every system for the same bytes.
std::uint64_t HashOfText(std::string_view bytes) noexcept;

// ".mirado-<host>-<process>-<start>-<random>.tmp" in hexadecimal: hidden on
// Linux, new each time, and unlikely to be picked by any other program.
std::u16string TemporaryCopyName(const TemporaryOwner& owner);

// The same with ".claim": a record, holding a final name's bytes, of a copy
// that holds that name with an empty file of its own until its data is
// renamed over it (where a file system can neither rename without
// replacing nor link). The records of an ended owner say which empty file
// to remove with them.
std::u16string TemporaryClaimName(const TemporaryOwner& owner);
bool IsClaimRecord(std::u16string_view name);

// The owner that the name of a temporary copy or claim record of ours
// says; nothing for any other name.
std::optional<TemporaryOwner> OwnerOf(std::u16string_view name);

// The owner of a temporary copy or claim record left in a folder, when name
// is exactly one of ours that self may remove if that owner no longer runs: made on this
// computer by another process (or an earlier one with self's id) whose start
// was known. Nothing for any other name, which is never removed.
std::optional<TemporaryOwner> OwnerToCheck(std::u16string_view name, const TemporaryOwner& self);

}  // namespace mirado
