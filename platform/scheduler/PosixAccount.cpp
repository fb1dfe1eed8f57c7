#include "platform/scheduler/PosixAccount.h"

#include <climits>
#include <pwd.h>
#include <unistd.h>

namespace {

// The length Windows allows a computer's name; the pages show it in that room.
constexpr int kComputerNameLength = 15;

bool isBlankOrControl(QChar c)
{
    return c.isSpace() || c.category() == QChar::Other_Control;
}

QString trimmed(QString text)
{
    while (!text.isEmpty() && isBlankOrControl(text.back()))
        text.chop(1);
    qsizetype start = 0;
    while (start < text.size() && isBlankOrControl(text.at(start)))
        ++start;
    return text.mid(start);
}

} // namespace

QString PosixAccount::computerName() const
{
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return QString::fromLocal8Bit(name).left(kComputerNameLength);
}

QString PosixAccount::userName() const
{
    // getpwuid_r: the pages may ask from any thread.
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    QByteArray buffer(size > 0 ? int(size) : 16384, '\0');
    struct passwd entry = {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), size_t(buffer.size()), &found) != 0 ||
        found == nullptr)
        return {};
    return trimmed(QString::fromLocal8Bit(found->pw_name));
}
