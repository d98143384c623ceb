#include <gtest/gtest.h>

#include <filesystem>

#include "ProcessOwner.h"
#include "RecordingEvents.h"
#include "TempDir.h"

namespace mirado {
namespace {

using test::ListFolder;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Names = std::vector<std::string>;

// Also: a batch that ended by force left its temporary copy in _rename; the
// next batch into that folder removes it, and leaves a running batch's alone.
TEST(Win32Batch, CopiesBesideTheSourceAndNumbersWithoutRegardToCase) {
    TempDir dir;
    WriteFile(dir.Path() / "photo.JPG", "new");
    WriteFile(dir.Path() / "_rename" / "PHOTO.jpg", "old");
    const TemporaryOwner self = ThisProcess();
    const auto name = [](const TemporaryOwner& owner) { return test::FsPath(TemporaryCopyName(owner)); };
    WriteFile(dir.Path() / "_rename" / name({self.host, self.process, self.start + 1}), "partial");
    const std::string running = name(self).string();
    WriteFile(dir.Path() / "_rename" / running, "in progress");

    // Both copies at once, as on a share: named in drop order all the same.
    test::RecordingEvents events;
    FileServices fso;
    RunBatch({{dir.U16("photo.JPG"), dir.U16("photo.JPG")}, 1, {}, 2}, fso, events);

    EXPECT_EQ(events.lines, (Names{"max 2", "value 1", "value 2", "value 0", "end copied=2 folders=1"}));
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"), (Names{running, "PHOTO.jpg", "photo（1）.JPG", "photo（2）.JPG"}));
    EXPECT_EQ(ReadFile(dir.Path() / "_rename" / "PHOTO.jpg"), "old");
}

}  // namespace
}  // namespace mirado
