#include <gtest/gtest.h>

#include <filesystem>

#include "BatchDriver.h"
#include "FakeBatchWindow.h"
#include "TempDir.h"

namespace mirado {
namespace {

using test::FakeBatchWindow;
using test::ListFolder;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Names = std::vector<std::string>;

TEST(Win32Batch, CopiesBesideTheSourceAndNumbersWithoutRegardToCase) {
    TempDir dir;
    WriteFile(dir.Path() / "photo.JPG", "new");
    WriteFile(dir.Path() / "_rename" / "PHOTO.jpg", "old");
    FakeBatchWindow window(1);

    ProcessFiles(window, {dir.U16("photo.JPG"), dir.U16("photo.JPG")});

    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.progressValues, (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"), (Names{"PHOTO.jpg", "photo（1）.JPG", "photo（2）.JPG"}));
    EXPECT_EQ(ReadFile(dir.Path() / "_rename" / "PHOTO.jpg"), "old");
}

}  // namespace
}  // namespace mirado
