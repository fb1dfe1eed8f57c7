// Every test executable runs its GoogleTest cases inside one QApplication on the offscreen
// platform, with HOME and the XDG folders pointing at a private temporary folder.
#include "tests/support/TempHome.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <sys/stat.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Files the tests write get the same modes on every machine; tests of the umask set their own.
    ::umask(022);
    TempHome home;
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Corvanta");
    QApplication::setApplicationName("Corvanta");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
