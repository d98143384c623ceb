#include <gtest/gtest.h>

#include <QApplication>

// On Linux the window tests run under Qt's offscreen platform. It is chosen
// here rather than in the test's environment, because test discovery runs
// this program without that environment. Windows keeps its own platform.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#ifndef _WIN32
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
