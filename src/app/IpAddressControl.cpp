#include "IpAddressControl.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyleOptionFrame>

namespace ondrel {

namespace {

constexpr int kMaxOctet = 255;

// The leading digits of a part, held to 255; -1 for none.
int readOctet(const QString& part) {
    int value = -1;
    for (const QChar c : part) {
        if (!c.isDigit()) {
            break;
        }
        value = (value < 0 ? 0 : value) * 10 + c.digitValue();
        if (value > kMaxOctet) {
            value = kMaxOctet;
        }
    }
    return value;
}

} // namespace

IpAddressControl::IpAddressControl(QWidget* parent) : QFrame(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    auto* layout = new QHBoxLayout(this);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    layout->setContentsMargins(frame, frame, frame, frame);
    layout->setSpacing(0);
    auto* validator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < 4; ++i) {
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setValidator(validator);
        field->setMaxLength(3);
        field->setFocusPolicy(Qt::ClickFocus);
        field->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        field->setAccessibleName(tr("octet %1").arg(i + 1));
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i] { onEdited(i); });
        m_fields[static_cast<std::size_t>(i)] = field;
        layout->addWidget(field, 1);
        if (i < 3) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            // The dots share the fields' background, so the four fields read as one control.
            dot->setBackgroundRole(QPalette::Base);
            dot->setAutoFillBackground(true);
            layout->addWidget(dot, 0);
        }
    }
    setFocusProxy(m_fields[0]);
}

QSize IpAddressControl::sizeHint() const {
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const QFontMetrics metrics = fontMetrics();
    // Four octets with a little room each, and the three dots.
    const int width = metrics.horizontalAdvance(QStringLiteral("000.000.000.000")) + 4 * 6;
    return {width + 2 * frame, m_fields[0]->sizeHint().height()};
}

void IpAddressControl::setAddressText(const QString& dotted) {
    const QStringList parts = dotted.split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i) {
        const int value = (!dotted.isEmpty() && i < parts.size()) ? readOctet(parts[i]) : -1;
        m_fields[static_cast<std::size_t>(i)]->setText(value < 0 ? QString()
                                                                 : QString::number(value));
    }
}

std::array<int, 4> IpAddressControl::octets() const {
    std::array<int, 4> octets{};
    for (std::size_t i = 0; i < 4; ++i) {
        octets[i] = std::max(0, readOctet(m_fields[i]->text()));
    }
    return octets;
}

QString IpAddressControl::addressText() const {
    return QString::fromStdString(address().text());
}

Ipv4 IpAddressControl::address() const {
    uint32_t bits = 0;
    for (const int octet : octets()) {
        bits = bits << 8 | static_cast<uint32_t>(octet);
    }
    return Ipv4{bits};
}

bool IpAddressControl::isBlank() const {
    for (const QLineEdit* field : m_fields) {
        if (!field->text().isEmpty()) {
            return false;
        }
    }
    return true;
}

void IpAddressControl::clearAddress() {
    setAddressText(QString());
}

int IpAddressControl::indexOf(const QObject* field) const {
    for (int i = 0; i < 4; ++i) {
        if (m_fields[static_cast<std::size_t>(i)] == field) {
            return i;
        }
    }
    return -1;
}

void IpAddressControl::moveTo(int index, bool selectAll, bool atEnd) {
    if (index < 0 || index > 3) {
        return;
    }
    QLineEdit* field = m_fields[static_cast<std::size_t>(index)];
    field->setFocus(Qt::OtherFocusReason);
    if (selectAll) {
        field->selectAll();
    } else {
        field->setCursorPosition(atEnd ? static_cast<int>(field->text().size()) : 0);
    }
}

void IpAddressControl::onEdited(int index) {
    QLineEdit* field = m_fields[static_cast<std::size_t>(index)];
    bool ok = false;
    if (field->text().toInt(&ok) > kMaxOctet && ok) {
        field->setText(QString::number(kMaxOctet));
    }
    if (field->text().size() == 3 && field->cursorPosition() == 3 && index < 3) {
        moveTo(index + 1, true, false);
    }
}

bool IpAddressControl::eventFilter(QObject* watched, QEvent* event) {
    const int index = indexOf(watched);
    if (index < 0 || event->type() != QEvent::KeyPress) {
        return QFrame::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Paste)) {
        // A whole address copied from elsewhere fills the four octets; digits alone go into
        // the octet as typed ones would.
        const QString text = QGuiApplication::clipboard()->text().trimmed();
        if (!text.contains(QLatin1Char('.'))) {
            return QFrame::eventFilter(watched, event);
        }
        static const QRegularExpression kDotted(QStringLiteral("^[0-9]{0,3}(\\.[0-9]{0,3}){1,3}$"));
        if (kDotted.match(text).hasMatch()) {
            setAddressText(text);
            moveTo(3, false, true);
        }
        return true;
    }
    QLineEdit* field = m_fields[static_cast<std::size_t>(index)];
    const bool noSelection = !field->hasSelectedText();
    switch (key->key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
        if (!field->text().isEmpty() && index < 3) {
            moveTo(index + 1, true, false);
        }
        return true;
    case Qt::Key_Right:
        if (noSelection && field->cursorPosition() == field->text().size() && index < 3) {
            moveTo(index + 1, false, false);
            return true;
        }
        break;
    case Qt::Key_Left:
        if (noSelection && field->cursorPosition() == 0 && index > 0) {
            moveTo(index - 1, false, true);
            return true;
        }
        break;
    case Qt::Key_Backspace:
        if (noSelection && field->cursorPosition() == 0 && index > 0) {
            moveTo(index - 1, false, true);
            return true;
        }
        break;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

void IpAddressControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionFrame option;
    option.initFrom(this);
    option.rect = rect();
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    painter.fillRect(rect(), palette().color(QPalette::Base));
    style()->drawPrimitive(QStyle::PE_FrameLineEdit, &option, &painter, this);
}

} // namespace ondrel
