#include "platform/office/worker/OfficeInbox.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path native(const QString& path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

QString reason(const std::error_code& failed)
{
    return QString::fromLocal8Bit(failed.message());
}

} // namespace

OfficeInbox::OfficeInbox(QString folder) : m_folder(std::move(folder))
{
    clear(); // a killed worker's last document
}

OfficeInbox::~OfficeInbox()
{
    clear();
}

QString OfficeInbox::bringIn(const QString& document, QString* why)
{
    clear();
    const QString copy = m_folder + "/in/" + QFileInfo(document).fileName();
    std::error_code failed;
    // What a link names: the office could not follow a link out of its folder.
    const fs::path source = fs::canonical(native(document), failed);
    if (!failed)
        fs::create_directories(native(m_folder + "/in"), failed);
    if (failed) {
        *why = "could not be copied for the office: " + reason(failed);
        return {};
    }
    // A hard link costs nothing where the document lies on the same file system as the profile.
    fs::create_hard_link(source, native(copy), failed);
    if (!failed)
        return copy;
    failed.clear();
    if (!fs::copy_file(source, native(copy), failed)) {
        *why = "could not be copied for the office: " + reason(failed);
        return {};
    }
    return copy;
}

QString OfficeInbox::pdf() const
{
    return m_folder + "/out.pdf";
}

bool OfficeInbox::deliver(const QString& target, QString* why)
{
    std::error_code failed;
    fs::rename(native(pdf()), native(target), failed);
    if (failed == std::errc::cross_device_link) {
        failed.clear();
        fs::copy_file(native(pdf()), native(target), fs::copy_options::overwrite_existing, failed);
    }
    if (failed)
        *why = "the PDF could not be moved out of the office's folder: " + reason(failed);
    return !failed;
}

void OfficeInbox::clear()
{
    std::error_code ignored; // nothing there yet, or gone already
    fs::remove_all(native(m_folder), ignored);
}
