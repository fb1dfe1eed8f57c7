#include "app/HelpTopics.h"

QString HelpTopicForPage(int pageIndex)
{
    switch (pageIndex) {
    case 0:
        return QStringLiteral("::/CreatingPDFs.htm");
    case 1:
        return QStringLiteral("::/BulkConvert.htm");
    case 2:
        return QStringLiteral("::/ScanningFiles.htm");
    case 3:
        return QStringLiteral("::/Security.htm");
    default:
        return {};
    }
}
