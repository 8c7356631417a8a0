#include <QApplication>
#include <gtest/gtest.h>

// Every test executable has one QApplication (offscreen unless told otherwise), so
// widgets, timers and queued calls work in any test.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
