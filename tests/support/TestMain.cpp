#include <QApplication>
#include <gtest/gtest.h>

namespace {
void setUnlessSet(const char* name, const char* value)
{
    if (qEnvironmentVariableIsEmpty(name))
        qputenv(name, value);
}
} // namespace

// Every test executable has one QApplication (offscreen unless told otherwise), so
// widgets, timers and queued calls work in any test; and sound goes to SDL's dummy device
// unless a test asks for another, never to the sound server of the machine running them.
int main(int argc, char** argv)
{
    setUnlessSet("QT_QPA_PLATFORM", "offscreen");
    setUnlessSet("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
