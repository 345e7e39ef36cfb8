#include "DialogUnits.h"

#include <QFontMetrics>
#include <QStringList>

#include <cmath>

namespace ondrel {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = std::max(1.0, width / 52.0);
    m_baseY = std::max(1, metrics.height());
}

void DialogUnits::Widen(double factor) {
    if (factor > 1.0) {
        m_baseX *= factor;
    }
}

int DialogUnits::X(int units) const {
    return static_cast<int>(std::lround(units * m_baseX / 4.0));
}

int DialogUnits::Y(int units) const {
    return static_cast<int>(std::lround(units * static_cast<double>(m_baseY) / 8.0));
}

QRect DialogUnits::Map(const QRect& units) const {
    // Edges are mapped, not sizes, so that neighbouring controls stay flush.
    const int left = X(units.x());
    const int top = Y(units.y());
    return QRect(left, top, X(units.x() + units.width()) - left,
                 Y(units.y() + units.height()) - top);
}

QSize DialogUnits::Map(const QSize& units) const {
    return QSize(X(units.width()), Y(units.height()));
}

QFont DialogUnits::TemplateFont(const QString& face, int points) {
    QFont font;
    font.setFamilies({face, QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(points);
    return font;
}

} // namespace ondrel
