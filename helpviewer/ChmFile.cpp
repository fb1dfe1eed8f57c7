#include "helpviewer/ChmFile.h"

#include "helpviewer/ChmLayout.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <chm_lib.h>

namespace {

// A help file's pages and pictures are small; anything larger is damage, not content.
constexpr LONGINT64 kLargestObject = LONGINT64(64) * 1024 * 1024;

// The fields of the "/#SYSTEM" description this reader uses.
enum SystemField : quint16
{
    ContentsFile = 0,
    IndexFile = 1,
    DefaultTopic = 2,
    Title = 3,
};

QString pathInFile(const QString& name)
{
    if (name.isEmpty())
        return {};
    return name.startsWith(QLatin1Char('/')) ? name : QLatin1Char('/') + name;
}

int collectPath(chmFile*, chmUnitInfo* unit, void* context)
{
    const QString path = QString::fromUtf8(unit->path);
    if (!path.startsWith(QLatin1String("/#")) && !path.startsWith(QLatin1String("/$")))
        static_cast<QStringList*>(context)->append(path);
    return CHM_ENUMERATOR_CONTINUE;
}

} // namespace

std::unique_ptr<ChmFile> ChmFile::open(const QString& path, QString* why)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        *why = QStringLiteral("the file is not there");
        return nullptr;
    }
    // chmlib trusts the container's sizes and links: it is given only a file that holds
    // together. One it cannot open at all fails in chmlib the same way.
    QFile bytes(path);
    const bool damaged = bytes.open(QIODevice::ReadOnly) && !ChmLayoutError(bytes).isNull();
    bytes.close();
    chmFile* handle = damaged ? nullptr : chm_open(QFile::encodeName(path).constData());
    if (!handle) {
        *why = QStringLiteral("it is not a compiled help file, or it is damaged");
        return nullptr;
    }
    std::unique_ptr<ChmFile> file(new ChmFile(handle));
    file->readDescription();
    return file;
}

ChmFile::~ChmFile()
{
    chm_close(m_handle);
}

QStringList ChmFile::paths() const
{
    QStringList paths;
    chm_enumerate(m_handle, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collectPath, &paths);
    return paths;
}

std::optional<QByteArray> ChmFile::read(const QString& path) const
{
    chmUnitInfo unit{};
    const QByteArray name = pathInFile(path).toUtf8();
    if (chm_resolve_object(m_handle, name.constData(), &unit) != CHM_RESOLVE_SUCCESS ||
        unit.length > kLargestObject)
        return std::nullopt;
    QByteArray bytes(qsizetype(unit.length), Qt::Uninitialized);
    if (unit.length > 0 &&
        chm_retrieve_object(m_handle, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                            LONGINT64(unit.length)) != LONGINT64(unit.length))
        return std::nullopt;
    return bytes;
}

// "/#SYSTEM": a version word, then fields of a 16-bit code, a 16-bit length and that many bytes
// (texts end in a zero byte).
void ChmFile::readDescription()
{
    const std::optional<QByteArray> system = read(QStringLiteral("/#SYSTEM"));
    if (!system)
        return;
    const QByteArray& data = *system;
    for (qsizetype at = 4; at + 4 <= data.size();) {
        const quint16 code = qFromLittleEndian<quint16>(data.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(data.constData() + at + 2);
        at += 4;
        if (at + length > data.size())
            break;
        const QString text =
            QString::fromUtf8(data.constData() + at, length).section(QChar(0), 0, 0);
        at += length;
        switch (code) {
        case ContentsFile:
            m_contentsFile = pathInFile(text);
            break;
        case IndexFile:
            m_indexFile = pathInFile(text);
            break;
        case DefaultTopic:
            m_defaultTopic = pathInFile(text);
            break;
        case Title:
            m_title = text;
            break;
        default:
            break;
        }
    }
}
