// The main function of every test executable: a Qt application on the
// offscreen platform, and an instance lock of the test's own so that tests
// running side by side never see each other as a previous instance.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Static, so that it outlives the instance lock (a static made later),
    // which removes its file when the process ends. Whatever the user's
    // environment holds (an editor's lock of their own, "off"), each test
    // process takes its own.
    static QTemporaryDir lockDir;
    setenv("PALVANE_INSTANCE_LOCK", (lockDir.path() + "/palvane.lock").toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
