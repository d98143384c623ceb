#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace mirado::test {

// A fresh folder below the system's temporary folder, removed with all its
// contents when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The folder's path joined with a relative UTF-8 name, as UTF-16.
    std::u16string U16(std::string_view relative = {}) const;

private:
    std::filesystem::path path_;
};

// Writes a file with the given contents, creating missing parent folders.
void WriteFile(const std::filesystem::path& path, std::string_view contents);
std::string ReadFile(const std::filesystem::path& path);

// Sets a file's modification time to a local date and time.
void SetModified(const std::filesystem::path& file, int year, int month, int day, int hour, int minute, int second);

// The names (UTF-8) in a folder, sorted; empty when the folder is missing.
std::vector<std::string> ListFolder(const std::filesystem::path& folder);

// Path conversions between the tests' UTF-8 and the program's UTF-16.
std::u16string U16(const std::filesystem::path& path);
std::filesystem::path FsPath(std::u16string_view path);

}  // namespace mirado::test
