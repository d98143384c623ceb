#include <gtest/gtest.h>

#include <QApplication>

// The window tests run under Qt's offscreen platform. It is chosen here
// rather than in the test's environment, because test discovery runs this
// program without that environment.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
