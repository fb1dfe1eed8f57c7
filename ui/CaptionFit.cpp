#include "ui/CaptionFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyleOptionButton>

#include <optional>

namespace {

QString captionOf(const QWidget* widget)
{
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->textFormat() == Qt::RichText ? QString() : label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    return {};
}

// The room the widget gives its caption, or nothing when it is not a plain-text caption.
std::optional<int> captionRoom(const QWidget* widget)
{
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
        if (label->wordWrap())
            return std::nullopt;
        return label->contentsRect().width() - 2 * label->margin() - qMax(0, label->indent());
    }
    QStyle::SubElement element;
    if (qobject_cast<const QRadioButton*>(widget))
        element = QStyle::SE_RadioButtonContents;
    else if (qobject_cast<const QCheckBox*>(widget))
        element = QStyle::SE_CheckBoxContents;
    else
        return std::nullopt;
    QStyleOptionButton option;
    option.initFrom(widget);
    option.text = captionOf(widget);
    return widget->style()->subElementRect(element, &option, widget).width();
}

// The widest line of the caption in the widget's font.
qreal captionWidth(const QWidget* widget, const QFont& font)
{
    const QFontMetricsF metrics(font);
    qreal widest = 0;
    for (const QString& line : captionOf(widget).split(QLatin1Char('\n'))) {
        QString shown = line;
        shown.remove(QLatin1Char('&'));
        widest = qMax(widest, metrics.horizontalAdvance(shown));
    }
    return widest;
}

void fitCaption(QWidget* widget)
{
    const std::optional<int> room = captionRoom(widget);
    const QString caption = captionOf(widget);
    if (!room || caption.isEmpty())
        return;
    const qreal needed = captionWidth(widget, widget->font());
    if (needed <= *room)
        return;
    const qsizetype letters = qMax<qsizetype>(1, caption.size());
    QFont squeezed = widget->font();
    qreal spacing = qMax(-kMaxSqueeze, (*room - needed) / qreal(letters));
    for (;;) {
        squeezed.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
        if (captionWidth(widget, squeezed) <= *room || spacing <= -kMaxSqueeze)
            break;
        spacing = qMax(-kMaxSqueeze, spacing - 0.05);
    }
    widget->setFont(squeezed);
}

} // namespace

bool captionFits(const QWidget* widget)
{
    const std::optional<int> room = captionRoom(widget);
    return !room || captionWidth(widget, widget->font()) <= *room;
}

void fitCaptions(QWidget* root)
{
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (!widget->isHidden())
            fitCaption(widget);
    }
}
