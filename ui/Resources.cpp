#include "ui/Resources.h"

#include <QFont>
#include <QStringList>

void initCorvantaUiResources()
{
    static const bool done = [] {
        // A static library's resources are registered only on request.
        Q_INIT_RESOURCE(resources);
        // Metric-compatible or near fonts for the form's Windows fonts, so captions keep the
        // widths the form was laid out for.
        QFont::insertSubstitutions(
            QStringLiteral("MS Sans Serif"),
            QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
        QFont::insertSubstitutions(
            QStringLiteral("Tahoma"),
            QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
        return true;
    }();
    (void)done;
}
