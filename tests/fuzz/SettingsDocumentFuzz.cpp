// The settings file as the store reads it: any content is a document or refused with the line
// that is wrong, a document written back reads as itself, and a value the program sets in it
// reads back, whatever its name and whatever the file around it holds.
#include "platform/settings/SettingsDocument.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    QString problem;
    std::optional<SettingsDocument> document = SettingsDocument::parse(content, problem);
    if (!document) {
        FUZZ_CHECK(!problem.isEmpty());
        return 0;
    }

    const QByteArray written = document->toUtf8();
    std::optional<SettingsDocument> again = SettingsDocument::parse(written, problem);
    FUZZ_CHECK(again && again->toUtf8() == written);

    const QString key = QStringLiteral("Software\\Corvanta\\Program");
    const QString name = QString::fromUtf8(content.left(24));
    const SettingsValue value = SettingsValue::fromString(QString::fromUtf8(content.right(24)));
    document->setValue(key, name, value);
    const std::optional<SettingsDocument> edited =
        SettingsDocument::parse(document->toUtf8(), problem);
    FUZZ_CHECK(edited && edited->value(key, name) == value);
    return 0;
}
