#pragma once
// Dialog units to pixels. A horizontal unit is a quarter of the font's average character
// width and a vertical unit an eighth of its height, so a template laid out for one font
// keeps its proportions with another. The average width is kept exact rather than rounded,
// so that texts take the share of their controls that the template gave them.

#include <QFont>
#include <QRect>

namespace ondrel {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(double baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}

    double BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }
    // Widens every horizontal unit by factor (at least 1).
    void Widen(double factor);
    int X(int units) const;
    int Y(int units) const;
    QRect Map(const QRect& units) const;
    QSize Map(const QSize& units) const;

    // The font a template asks for, or the closest one this system has: a face with a
    // classic dialog font's line height rather than a tall one.
    static QFont TemplateFont(const QString& face, int points);

private:
    double m_baseX;
    int m_baseY;
};

} // namespace ondrel
