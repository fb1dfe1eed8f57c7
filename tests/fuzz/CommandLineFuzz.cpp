// The program's arguments, the input split into them at its zero bytes: whatever they are, the
// files to open are absolute, and an option not understood is shown on one line.
#include "app/CommandLine.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> arguments = input.split('\0');
    const CommandLine command = ParseCommandLine(arguments, QStringLiteral("/home/user/work"));
    for (const QByteArray& file : command.files)
        FUZZ_CHECK(file.startsWith('/'));
    if (command.action != CommandLine::Action::Start)
        FUZZ_CHECK(command.files.isEmpty());
    if (command.action == CommandLine::Action::Unknown) {
        FUZZ_CHECK(!command.unknown.isEmpty());
        FUZZ_CHECK(!command.unknown.contains(QLatin1Char('\n')) &&
                   !command.unknown.contains(QLatin1Char('\r')));
        UnknownArgumentText(command.unknown);
    }
    return 0;
}
