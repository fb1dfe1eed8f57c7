// Owns an office renderer and keeps it busy, so a test can kill the owner while the office
// works on a document and see what is left of the worker and the office.
//   corvanta-office-renderer-owner <profile> <first document> <long document> <output folder>
// Prints the first document, then the long one; says "busy" once the long one is under way.
#include "common/Progress.h"
#include "office/OfficeRenderer.h"
#include "platform/process/QtProcessLauncher.h"
#include "tests/support/TestProgress.h"

#include <QCoreApplication>
#include <QStringList>

#include <iostream>

namespace {

// The renderer reports while it waits for the worker's answer: the request is in its hands.
class SayBusy final : public Progress
{
public:
    bool advance(int) override
    {
        if (!m_said)
            std::cout << "busy" << std::endl;
        m_said = true;
        return true;
    }

private:
    bool m_said = false;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 5)
        return 2;
    QtProcessLauncher launcher;
    OfficeSetup setup;
    setup.profileFolder = arguments.at(1);
    OfficeRenderer office(launcher, setup);
    try {
        Unwatched unwatched;
        office.renderToPdf(Route::Word, arguments.at(2), arguments.at(4) + "/first.pdf", unwatched);
        SayBusy busy;
        office.renderToPdf(Route::Shell, arguments.at(3), arguments.at(4) + "/long.pdf", busy);
    } catch (const RenderError& error) {
        std::cerr << error.what() << std::endl;
        return 1;
    }
    return 0;
}
