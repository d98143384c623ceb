#include "TempDir.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <ctime>

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "Utf.h"

namespace mirado::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mirado-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::u16string TempDir::U16(std::string_view relative) const {
    return relative.empty() ? test::U16(path_) : test::U16(path_ / relative);
}

void WriteFile(const std::filesystem::path& path, std::string_view contents) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void SetModified(const std::filesystem::path& file, int year, int month, int day, int hour, int minute, int second) {
    struct tm when {};
    when.tm_year = year - 1900;
    when.tm_mon = month - 1;
    when.tm_mday = day;
    when.tm_hour = hour;
    when.tm_min = minute;
    when.tm_sec = second;
    when.tm_isdst = -1;
    const struct timespec times[2] = {{mktime(&when), 0}, {mktime(&when), 0}};
    if (utimensat(AT_FDCWD, file.c_str(), times, 0) != 0) throw std::runtime_error("cannot set the time of " + file.string());
}

std::vector<std::string> ListFolder(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::u16string U16(const std::filesystem::path& path) { return FromUtf8(path.string()); }

std::filesystem::path FsPath(std::u16string_view path) { return std::filesystem::path(ToUtf8(path)); }

}  // namespace mirado::test
