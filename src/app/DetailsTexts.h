#pragma once
// The texts of reading the cameras' details: the Clock column, its mark's tooltip, the account
// dialog's caption and the status line's summary of a read. Each through tr().

#include "core/CameraDetails.h"

#include <QCoreApplication>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace ondrel {

// How a read ended, counted by what each camera's reading says.
struct DetailsTally {
    std::size_t cameras = 0;  // every camera the read was to ask
    std::size_t read = 0;     // read whole, or in part
    std::size_t refused = 0;  // refused the account
    std::size_t notAsked = 0; // the run stopped before their turn
    bool stoppedByRefusals = false;
    bool cancelled = false;
    bool withAccount = false;
};

class DetailsTexts {
    Q_DECLARE_TR_FUNCTIONS(DetailsTexts)

public:
    static QString cancelEntry() { return tr("Cancel"); }

    // The size of an offset, "3 min", "2 h 05 min", "45 s", without its sign.
    static QString offsetSize(const ClockOffsetParts& p) {
        if (p.hours > 0) {
            //: Hours and minutes of a clock offset, e.g. "2 h 05 min".
            return tr("%1 h %2 min").arg(p.hours).arg(p.minutes, 2, 10, QLatin1Char('0'));
        }
        if (p.minutes > 0) {
            return tr("%1 min").arg(p.minutes);
        }
        return tr("%1 s").arg(p.seconds);
    }
    // The Clock column: "in step", or the camera's clock minus the PC's ("+3 min", "−2 h 05
    // min", a minus sign rather than a hyphen).
    static QString clockOffset(int64_t offset) {
        const ClockOffsetParts p = clockOffsetParts(offset);
        if (p.inStep) {
            return tr("in step");
        }
        return (p.ahead ? QStringLiteral("+") : QString(QChar(0x2212))) + offsetSize(p);
    }
    // The mark's tooltip, for a camera more than a minute off; empty for one nearer.
    static QString clockHint(int64_t offset) {
        const int64_t size = offset < 0 ? -offset : offset;
        if (size <= ClockOffsetParts::kMarkedSeconds) {
            return {};
        }
        const ClockOffsetParts p = clockOffsetParts(offset);
        //: %1 is how far the camera's clock is off, e.g. "2 h 05 min".
        return p.ahead ? tr("The camera's clock is %1 ahead of this PC").arg(offsetSize(p))
                       : tr("The camera's clock is %1 behind this PC").arg(offsetSize(p));
    }

    static QString reading(int done, int total) {
        return tr("Reading details: %1 of %2 cameras").arg(done).arg(total);
    }
    // The status line after a read.
    static QString summary(const DetailsTally& t) {
        QStringList parts;
        //: %1 cameras of %2 answered with their details.
        parts << tr("Details read from %1 of %2 cameras").arg(t.read).arg(t.cameras);
        if (t.stoppedByRefusals) {
            parts << tr("the account was refused by 3 cameras in a row; the others were not "
                        "asked");
        } else if (t.refused > 0 && t.refused + t.notAsked == t.cameras) {
            parts << tr("every camera asked refused the account");
        } else if (t.refused > 0) {
            parts << tr("%1 refused the account").arg(t.refused);
        }
        if (t.cancelled) {
            parts << tr("cancelled: %1 were not asked").arg(t.notAsked);
        }
        if (!t.withAccount && t.read > 0) {
            parts << tr("without an account only the clock and the host name");
        }
        return parts.join(QStringLiteral("; "));
    }
};

} // namespace ondrel
