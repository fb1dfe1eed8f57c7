#include "office/worker/OfficeConfinement.h"

#include "office/OfficeLimits.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const char kConfineSwitch[] = "--confine-office";

// The kernel's Landlock interface (linux/landlock.h), spelled out here so that the program
// builds against headers older than the kernel it runs on.
constexpr unsigned kAskVersion = 1U << 0;
constexpr int kRulePathBeneath = 1;
constexpr std::uint64_t kExecute = 1ULL << 0;
constexpr std::uint64_t kWriteFile = 1ULL << 1;
constexpr std::uint64_t kReadFile = 1ULL << 2;
constexpr std::uint64_t kReadDir = 1ULL << 3;
constexpr std::uint64_t kRemoveFile = 1ULL << 5;
constexpr std::uint64_t kMakeSock = 1ULL << 9;
constexpr std::uint64_t kFirstRights = (1ULL << 13) - 1; // version 1: execute ... make-symlink
constexpr std::uint64_t kRefer = 1ULL << 13;             // version 2
constexpr std::uint64_t kTruncate = 1ULL << 14;          // version 3
constexpr std::uint64_t kBindTcp = 1ULL << 0;            // version 4, network rights
constexpr std::uint64_t kConnectTcp = 1ULL << 1;

struct RulesetAttributes
{
    std::uint64_t handledFiles;
    std::uint64_t handledNetwork; // known from version 4 on
};

struct PathBeneath
{
    std::uint64_t allowed;
    std::int32_t parent;
} __attribute__((packed));

constexpr std::uint64_t kRead = kExecute | kReadFile | kReadDir;
constexpr std::uint64_t kFileRights = kExecute | kWriteFile | kReadFile | kTruncate;
constexpr std::uint64_t kEverything = ~0ULL;

// What the office reads to run: programs, libraries, settings, fonts, dictionaries, the
// process tables, and the parts of its installation Debian keeps under /var (linked from
// /usr/lib/libreoffice). Of /usr/share only what the office reads itself (traced over
// conversions of every kind): a document's linked picture (an RTF or Word INCLUDEPICTURE field,
// an HTML image) that names a system file, the office's imports would embed as they load.
const char* const kSystemFolders[] = {
    "/usr/bin",
    "/usr/sbin",
    "/usr/lib",
    "/usr/lib32",
    "/usr/lib64",
    "/usr/libx32",
    "/usr/libexec",
    "/usr/share/dconf",
    "/usr/share/fontconfig",
    "/usr/share/fonts",
    "/usr/share/hunspell",
    "/usr/share/hyphen",
    "/usr/share/icu",
    "/usr/share/libexttextcat",
    "/usr/share/liblangtag",
    "/usr/share/libnumbertext",
    "/usr/share/libreoffice",
    "/usr/share/libthai",
    "/usr/share/locale",
    "/usr/share/mime",
    "/usr/share/mythes",
    "/usr/share/poppler",
    "/usr/share/X11",
    "/usr/share/zoneinfo",
    "/usr/share/zoneinfo-icu",
    "/usr/local/share/fonts",
    "/etc",
    "/lib",
    "/lib32",
    "/lib64",
    "/libx32",
    "/bin",
    "/sbin",
    "/proc",
    "/sys",
    "/var/cache/fontconfig",
    "/var/lib/libreoffice",
    "/var/spool/libreoffice",
};

int landlockVersion()
{
    const long version = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, kAskVersion);
    return version < 0 ? 0 : int(version);
}

std::uint64_t handledFileRights(int version)
{
    return kFirstRights | (version >= 2 ? kRefer : 0) | (version >= 3 ? kTruncate : 0);
}

// False only when the kernel refused a rule; a folder this system lacks is no error.
bool allow(int ruleset, const std::string& path, std::uint64_t rights, std::uint64_t handled)
{
    if (path.empty())
        return true;
    const int folder = ::open(path.c_str(), O_PATH | O_CLOEXEC);
    if (folder < 0)
        return errno == ENOENT || errno == ENOTDIR || errno == EACCES;
    struct stat status = {};
    if (::fstat(folder, &status) == 0 && !S_ISDIR(status.st_mode))
        rights &= kFileRights;
    PathBeneath rule{rights & handled, folder};
    const bool added = ::syscall(SYS_landlock_add_rule, ruleset, kRulePathBeneath, &rule, 0) == 0;
    ::close(folder);
    return added;
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// The user's own fonts and font settings, wherever the XDG variables put them.
std::string userFolder(const char* variable, const std::string& home, const char* fallback)
{
    std::string set = environment(variable);
    if (!set.empty())
        return set;
    return home.empty() ? std::string() : home + fallback;
}

// The office's installation: ".../libreoffice" above ".../libreoffice/program/soffice".
std::string installationOf(const char* program)
{
    char real[PATH_MAX];
    if (!::realpath(program, real))
        return {};
    std::string path(real);
    for (int up = 0; up < 2 && path.rfind('/') != std::string::npos; ++up)
        path.erase(path.rfind('/'));
    return path;
}

bool confine(int version, const std::string& own, const char* program)
{
    const std::uint64_t handled = handledFileRights(version);
    const RulesetAttributes attributes{handled, version >= 4 ? kBindTcp | kConnectTcp : 0};
    // An older kernel knows only the first field.
    const std::size_t size = version >= 4 ? sizeof attributes : sizeof attributes.handledFiles;
    const int ruleset = int(::syscall(SYS_landlock_create_ruleset, &attributes, size, 0));
    if (ruleset < 0)
        return false;

    const std::string home = environment("HOME");
    bool ruled = true;
    for (const char* folder : kSystemFolders)
        ruled = ruled && allow(ruleset, folder, kRead, handled);
    ruled = ruled && allow(ruleset, installationOf(program), kRead, handled) &&
            allow(ruleset, home.empty() ? std::string() : home + "/.fonts", kRead, handled) &&
            allow(ruleset, userFolder("XDG_DATA_HOME", home, "/.local/share") + "/fonts", kRead,
                  handled) &&
            allow(ruleset, userFolder("XDG_CONFIG_HOME", home, "/.config") + "/fontconfig", kRead,
                  handled) &&
            allow(ruleset, userFolder("XDG_CACHE_HOME", home, "/.cache") + "/fontconfig", kRead,
                  handled) &&
            allow(ruleset, "/dev", kRead | kWriteFile | kTruncate, handled) &&
            allow(ruleset, "/dev/shm", kEverything, handled) &&
            // The office's UNO pipes are sockets in /tmp, made at its start, removed at its end.
            allow(ruleset, "/tmp", kMakeSock | kRemoveFile, handled) &&
            allow(ruleset, own, kEverything, handled);
    const bool confined = ruled && ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
                          ::syscall(SYS_landlock_restrict_self, ruleset, 0) == 0;
    const int failure = errno;
    ::close(ruleset);
    errno = failure;
    return confined;
}

} // namespace

int OfficeConfinementVersion()
{
    return landlockVersion();
}

QStringList ConfinedStart(const QString& ownFolder, const QString& program,
                          const QStringList& arguments)
{
    return QStringList{kConfineSwitch, ownFolder, "--", program} + arguments;
}

bool IsConfinedStart(int argc, char** argv)
{
    return argc > 1 && std::strcmp(argv[1], kConfineSwitch) == 0;
}

int RunConfined(int argc, char** argv)
{
    // worker --confine-office <folder> -- <program> <arguments>...
    if (argc < 5 || std::strcmp(argv[3], "--") != 0) {
        std::fputs("corvanta-office-worker: malformed confined start\n", stderr);
        return 2;
    }
    char** program = argv + 4;
    const int version = landlockVersion();
    // Without Landlock the worker has said so in its log; the office then runs as before.
    if (version > 0 && !confine(version, argv[2], program[0])) {
        std::fprintf(stderr, "corvanta-office-worker: could not confine the office: %s\n",
                     std::strerror(errno));
        return 3;
    }
    // The office gets the worker's bound, whether or not the worker itself could take it.
    rlimit limit = {};
    ::getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = limit.rlim_max = std::min<rlim_t>(rlim_t(kOfficeMemoryLimit), limit.rlim_max);
    if (::setrlimit(RLIMIT_AS, &limit) != 0)
        std::fprintf(stderr, "corvanta-office-worker: could not limit the office's memory: %s\n",
                     std::strerror(errno));
    ::execvp(program[0], program);
    std::fprintf(stderr, "corvanta-office-worker: could not start %s: %s\n", program[0],
                 std::strerror(errno));
    return 127;
}
