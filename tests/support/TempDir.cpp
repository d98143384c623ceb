#include "TempDir.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include "Utf.h"

namespace mirado::test {

TempDir::TempDir() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = std::filesystem::temp_directory_path() / ("mirado-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("no temporary folder could be created");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::u16string TempDir::U16(std::string_view relative) const {
    return relative.empty() ? test::U16(path_) : test::U16(path_ / FsPath(FromUtf8(relative)));
}

void WriteFile(const std::filesystem::path& path, std::string_view contents) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!out) throw std::runtime_error("cannot write a test file");
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read a test file");
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void SetModified(const std::filesystem::path& file, int year, int month, int day, int hour, int minute, int second) {
#ifdef _WIN32
    const SYSTEMTIME local{static_cast<WORD>(year), static_cast<WORD>(month), 0, static_cast<WORD>(day),
                           static_cast<WORD>(hour), static_cast<WORD>(minute), static_cast<WORD>(second), 0};
    SYSTEMTIME utc;
    FILETIME time;
    const HANDLE handle = ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const bool set = handle != INVALID_HANDLE_VALUE && ::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) &&
                     ::SystemTimeToFileTime(&utc, &time) && ::SetFileTime(handle, nullptr, &time, &time);
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    if (!set) throw std::runtime_error("cannot set the time of a test file");
#else
    struct tm when {};
    when.tm_year = year - 1900;
    when.tm_mon = month - 1;
    when.tm_mday = day;
    when.tm_hour = hour;
    when.tm_min = minute;
    when.tm_sec = second;
    when.tm_isdst = -1;
    const struct timespec times[2] = {{mktime(&when), 0}, {mktime(&when), 0}};
    if (utimensat(AT_FDCWD, file.c_str(), times, 0) != 0) throw std::runtime_error("cannot set the time of a test file");
#endif
}

std::vector<std::string> ListFolder(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(ToUtf8(U16(entry.path().filename())));
    std::sort(names.begin(), names.end());
    return names;
}

#ifdef _WIN32
std::u16string U16(const std::filesystem::path& path) { return path.u16string(); }
std::filesystem::path FsPath(std::u16string_view path) { return std::filesystem::path(std::u16string(path)); }
#else
// File names are bytes here: the program's own conversion keeps every one.
std::u16string U16(const std::filesystem::path& path) { return FromUtf8(path.string()); }
std::filesystem::path FsPath(std::u16string_view path) { return std::filesystem::path(ToUtf8(path)); }
#endif

}  // namespace mirado::test
