#include <gtest/gtest.h>

#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QSysInfo>

#include "DropFrame.h"
#include "UiTestSupport.h"

namespace {

using mirado::ui::AcceptAsCopy;
using mirado::ui::DroppedPaths;
using mirado::ui::DropFrame;

struct PathRow {
    const char* name;
    QUrl url;
    std::u16string expected;
};
void PrintTo(const PathRow& row, std::ostream* os) { *os << row.name; }

class DroppedPathsTest : public ::testing::TestWithParam<PathRow> {};

TEST_P(DroppedPathsTest, ConvertsOneAddress) {
    EXPECT_EQ(DroppedPaths({GetParam().url}), std::vector<std::u16string>{GetParam().expected});
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, DroppedPathsTest,
    ::testing::Values(
        PathRow{"LocalFile", QUrl(QStringLiteral("file:///home/user/a.txt")), u"/home/user/a.txt"},
        PathRow{"PercentEncodedJapanese",
                QUrl(QStringLiteral("file:///tmp/%E3%81%82%20%E3%81%84.txt")), u"/tmp/あ い.txt"},
        PathRow{"LocalhostHost", QUrl(QStringLiteral("file://localhost/tmp/b.txt")), u"/tmp/b.txt"},
        PathRow{"ThisComputersName", QUrl(QStringLiteral("file://%1/tmp/c.txt").arg(QSysInfo::machineHostName())),
                u"/tmp/c.txt"},
        PathRow{"OtherComputer", QUrl(QStringLiteral("file://fileserver/share/d.txt")),
                u"file://fileserver/share/d.txt"},
        PathRow{"WebAddress", QUrl(QStringLiteral("https://example.com/e.txt")), u"https://example.com/e.txt"},
        PathRow{"TrashAddress", QUrl(QStringLiteral("trash:/f.txt")), u"trash:/f.txt"}),
    [](const ::testing::TestParamInfo<PathRow>& info) { return std::string(info.param.name); });

TEST(DroppedPaths, KeepsTheOrderOfTheDrop) {
    const QList<QUrl> urls{QUrl(QStringLiteral("file:///z/3.txt")), QUrl(QStringLiteral("https://example.com/1")),
                           QUrl(QStringLiteral("file:///a/2.txt"))};
    EXPECT_EQ(DroppedPaths(urls),
              (std::vector<std::u16string>{u"/z/3.txt", u"https://example.com/1", u"/a/2.txt"}));
}

// What a drag offering actions with a given data comes to.
struct AcceptRow {
    const char* name;
    bool withUrls;
    Qt::DropActions actions;
    Qt::KeyboardModifiers modifiers;
    bool accepted;
};
void PrintTo(const AcceptRow& row, std::ostream* os) { *os << row.name; }

class AcceptAsCopyTest : public ::testing::TestWithParam<AcceptRow> {};

TEST_P(AcceptAsCopyTest, AnswersTheDrag) {
    const AcceptRow& row = GetParam();
    QMimeData data;
    if (row.withUrls)
        data.setUrls({QUrl(QStringLiteral("file:///tmp/a.txt"))});
    else
        data.setText(QStringLiteral("just text"));
    QDropEvent event(QPointF(1, 1), row.actions, &data, Qt::LeftButton, row.modifiers);
    EXPECT_EQ(AcceptAsCopy(event), row.accepted);
    EXPECT_EQ(event.isAccepted(), row.accepted);
    if (row.accepted) {
        EXPECT_EQ(event.dropAction(), Qt::CopyAction);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Drags, AcceptAsCopyTest,
    ::testing::Values(AcceptRow{"CopyOffered", true, Qt::CopyAction, Qt::NoModifier, true},
                      // Shift proposes a move; the answer is still a copy, so
                      // the file manager keeps its files.
                      AcceptRow{"MoveProposed", true, Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier, true},
                      AcceptRow{"OnlyMoveOffered", true, Qt::MoveAction, Qt::NoModifier, false},
                      AcceptRow{"TextOnly", false, Qt::CopyAction, Qt::NoModifier, false}),
    [](const ::testing::TestParamInfo<AcceptRow>& info) { return std::string(info.param.name); });

TEST(AcceptAsCopy, IgnoresAnEmptyAddressList) {
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), QByteArray());
    QDropEvent event(QPointF(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(AcceptAsCopy(event));
}

// Qt delivers drags only through the window system's entry point, which
// looks for the innermost widget that accepts drops; so do the tests.
TEST(DropFrame, ReportsTheDroppedAddressesInOrder) {
    QWidget window;
    window.resize(100, 100);
    auto* frame = new DropFrame(&window);
    frame->setGeometry(10, 10, 80, 80);
    auto* label = new QLabel(QStringLiteral("ここ"), frame);
    label->setGeometry(5, 5, 70, 20);
    mirado::test::ShowAndActivate(window);
    QSignalSpy dropped(frame, &DropFrame::filesDropped);
    const QList<QUrl> urls{QUrl(QStringLiteral("file:///b")), QUrl(QStringLiteral("file:///a"))};

    for (QWidget* target : {static_cast<QWidget*>(frame), static_cast<QWidget*>(label)}) {
        const auto outcome = mirado::test::DragAndDrop(window, *target, urls);
        EXPECT_TRUE(outcome.enterAccepted);
        EXPECT_TRUE(outcome.dropAccepted);
        EXPECT_EQ(outcome.dropAction, Qt::CopyAction);
    }
    ASSERT_EQ(dropped.count(), 2);
    EXPECT_EQ(dropped.at(0).at(0).value<QList<QUrl>>(), urls);
    EXPECT_EQ(dropped.at(1).at(0).value<QList<QUrl>>(), urls);
}

TEST(DropFrame, SaysNothingForARefusedDrag) {
    QWidget window;
    window.resize(100, 100);
    auto* frame = new DropFrame(&window);
    frame->setGeometry(10, 10, 80, 80);
    mirado::test::ShowAndActivate(window);
    QSignalSpy dropped(frame, &DropFrame::filesDropped);
    const auto outcome =
        mirado::test::DragAndDrop(window, *frame, {QUrl(QStringLiteral("file:///a"))}, Qt::MoveAction);
    EXPECT_FALSE(outcome.enterAccepted);
    EXPECT_FALSE(outcome.dropAccepted);
    EXPECT_EQ(dropped.count(), 0);
}

}  // namespace
