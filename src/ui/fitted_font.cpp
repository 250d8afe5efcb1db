#include "ui/fitted_font.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

namespace dw::ui {

namespace {

// The advance, or the inked pixels where a glyph reaches past it.
int widest(const QFont& font, const QStringList& texts)
{
    const QFontMetrics metrics(font);
    int width = 0;
    for (const QString& text : texts)
        width = std::max({width, metrics.horizontalAdvance(text), metrics.tightBoundingRect(text).right() + 1});
    return width;
}

}  // namespace

QFont fittedFont(const QFont& base, const QStringList& texts, int room)
{
    constexpr double smallestPoints = 6;
    QFont font = base;
    for (const int stretch : {QFont::Condensed, QFont::ExtraCondensed, QFont::UltraCondensed}) {
        if (widest(font, texts) <= room) return font;
        if (font.stretch() != QFont::AnyStretch && font.stretch() <= stretch) continue;
        font.setStretch(stretch);
    }
    while (widest(font, texts) > room && font.pointSizeF() > smallestPoints)
        font.setPointSizeF(std::max(smallestPoints, font.pointSizeF() - 0.5));
    return font;
}

int checkBoxTextRoom(const QCheckBox* box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    return box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width();
}

}  // namespace dw::ui
