#pragma once

#include <QLabel>

// A picture label that can be handed a picture file instead of a decoded picture: the file is
// decoded, at the label's size only, when the label is first seen. A conversion run shows every
// picture it converts here; while another page is in front, none of them costs a decode.
class PreviewLabel : public QLabel
{
    Q_OBJECT

public:
    explicit PreviewLabel(QWidget* parent = nullptr);

    void setPictureFile(const QString& path);
    void setPicture(const QImage& picture);
    void clearPicture();

    // The file waiting to be decoded when the label is seen; empty once it is shown.
    QString pendingFile() const { return m_pendingFile; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void decodePending();

    QString m_pendingFile;
};
