#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

// One application object for the whole test program. Test discovery runs the
// program without the test's environment, so default to the offscreen platform.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
