#pragma once
// An IPv4 address field of four octets: each blank or 0..255, digits only, dots between. A
// full octet, a dot or a blank moves on to the next octet; the arrows and backspace cross the
// dots. A blank octet reads as 0. A dotted address pasted into any octet fills all four.

#include <QFrame>

#include "core/Ipv4.h"

#include <array>

class QLineEdit;

namespace ondrel {

class IpAddressControl : public QFrame {
    Q_OBJECT
public:
    explicit IpAddressControl(QWidget* parent = nullptr);

    // Takes dotted text as a device or the system gives it: up to four parts, each read as
    // its leading digits (none: blank) and held to 255. Empty text blanks every octet.
    void setAddressText(const QString& dotted);
    // "%d.%d.%d.%d", blank octets as 0.
    QString addressText() const;
    // The address the octets make, blank ones as 0: what the core's address rules judge.
    Ipv4 address() const;
    std::array<int, 4> octets() const;
    bool isBlank() const;
    void clearAddress();
    QLineEdit* field(int index) const { return m_fields.at(static_cast<std::size_t>(index)); }

    // As wide as a full address, not as four edits of their own.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int indexOf(const QObject* field) const;
    void moveTo(int index, bool selectAll, bool atEnd);
    void onEdited(int index);

    std::array<QLineEdit*, 4> m_fields{};
};

} // namespace ondrel
