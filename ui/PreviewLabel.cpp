#include "ui/PreviewLabel.h"

#include <QImageReader>

PreviewLabel::PreviewLabel(QWidget* parent) : QLabel(parent) {}

void PreviewLabel::setPictureFile(const QString& path)
{
    clear();
    m_pendingFile = path;
    if (isVisible())
        decodePending();
}

void PreviewLabel::setPicture(const QImage& picture)
{
    m_pendingFile.clear();
    setPixmap(QPixmap::fromImage(picture));
}

void PreviewLabel::clearPicture()
{
    m_pendingFile.clear();
    clear();
}

void PreviewLabel::showEvent(QShowEvent* event)
{
    QLabel::showEvent(event);
    decodePending();
}

void PreviewLabel::decodePending()
{
    if (m_pendingFile.isEmpty())
        return;
    QImageReader reader(m_pendingFile);
    m_pendingFile.clear();
    // A drawing could name other files to draw: only pictures are shown.
    if (reader.format().startsWith("svg"))
        return;
    // Decoding at the shown size lets the JPEG decoder skip most of its work.
    const QSize full = reader.size();
    if (full.isValid())
        reader.setScaledSize(full.scaled(size(), Qt::KeepAspectRatio));
    const QImage picture = reader.read();
    if (!picture.isNull())
        setPixmap(QPixmap::fromImage(picture));
}
