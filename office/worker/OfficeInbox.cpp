#include "office/worker/OfficeInbox.h"

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
    QString copy = m_folder + "/in/" + QFileInfo(document).fileName();
    std::error_code failed;
    // The program made the copy for us; a link, wherever it came from, is not followed.
    if (fs::symlink_status(native(document), failed).type() != fs::file_type::regular && !failed)
        failed = std::make_error_code(std::errc::invalid_argument);
    if (!failed)
        fs::create_directories(native(m_folder + "/in"), failed);
    if (!failed)
        fs::rename(native(document), native(copy), failed);
    if (failed == std::errc::cross_device_link) {
        failed.clear();
        fs::copy_file(native(document), native(copy), failed);
        std::error_code ignored; // the program's copy; its folder goes with the worker's next start
        fs::remove(native(document), ignored);
    }
    if (failed) {
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
