// The settings file's escapes, typed values and key paths: any text is read or refused with a
// reason, and what the writer makes of a text or a value reads back as that text or value.
#include "platform/settings/SettingsText.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    QString problem;
    if (!SettingsText::unescape(text, problem))
        FUZZ_CHECK(!problem.isEmpty());
    for (const QString& escaped :
         {SettingsText::escapeText(text), SettingsText::escapeName(text)}) {
        QString why;
        const std::optional<QString> back = SettingsText::unescape(escaped, why);
        FUZZ_CHECK(back && *back == text);
    }

    problem.clear();
    if (const std::optional<SettingsValue> value = SettingsText::parseValue(text, problem)) {
        QString why;
        const std::optional<SettingsValue> again =
            SettingsText::parseValue(SettingsText::formatValue(*value), why);
        FUZZ_CHECK(again && *again == *value);
    } else {
        FUZZ_CHECK(!problem.isEmpty());
    }

    SettingsText::isValidKeyPath(text);
    return 0;
}
