#pragma once

#include <QByteArray>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <memory>

class QPDF;

// Reads a PDF back for tests: pages, metadata, encryption and permissions, compression, the
// image XObjects with their stored bytes, and each page's text (through pdftotext).
class PdfProbe
{
public:
    struct Image
    {
        int page = 0;
        QString filter; // "/DCTDecode", "/FlateDecode", or empty
        int width = 0;
        int height = 0;
        QString colorSpace; // a name such as "/DeviceRGB", or the array's first entry
        int bitsPerComponent = 0;
        bool hasSoftMask = false;
        QByteArray decodeParms; // unparsed, empty when none
        QByteArray decode;      // the /Decode array unparsed, empty when none
        QByteArray raw;         // the stream's bytes as stored
        QByteArray decoded;     // samples with Flate and predictors undone; empty for JPEG
        QByteArray softMask;    // the soft mask's samples, when there is one
    };

    explicit PdfProbe(const QString& file, const QString& password = {});
    ~PdfProbe();

    bool isOpen() const { return m_open; }
    QString error() const { return m_error; }

    QString pdfVersion() const; // "1.4", "1.7"...
    int pageCount() const;
    QList<QSizeF> pageSizes() const;

    bool isEncrypted() const;
    int encryptionRevision() const; // 6 for AES-256
    bool usesAes256() const;
    bool allowsPrint() const;
    bool allowsModify() const;
    bool allowsExtract() const;
    // True when the password given opens the file as its owner, who may lift every restriction.
    bool openedAsOwner() const;

    QString infoTitle() const;
    QString infoSubject() const;
    QString infoProducer() const;

    // True when every page content stream carries a filter.
    bool contentCompressed() const;
    // True when no page content stream carries a filter.
    bool contentUncompressed() const;

    QList<Image> images() const;
    // Each page's text as pdftotext reads it.
    QStringList pageTexts() const;

private:
    QString infoText(const char* key) const;

    QString m_file;
    QString m_password;
    std::unique_ptr<QPDF> m_pdf;
    bool m_open = false;
    QString m_error;
};
