#pragma once

namespace mirado {

// A local calendar date and wall-clock time, to the second.
struct LocalDateTime {
    int Year = 0;
    int Month = 0;   // 1..12
    int Day = 0;     // 1..31
    int Hour = 0;    // 0..23
    int Minute = 0;  // 0..59
    int Second = 0;  // 0..59 (60 for a leap second)

    bool operator==(const LocalDateTime&) const = default;
};

// What the program reads of an existing regular file.
struct FileInfo {
    LocalDateTime DateLastModified;
};

}  // namespace mirado
