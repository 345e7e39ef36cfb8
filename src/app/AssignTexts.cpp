#include "AssignTexts.h"

#include "Utf8Text.h"

#include "core/HttpPort.h"

#include <QStringList>

#include <type_traits>

namespace ondrel {

QString AssignTexts::who(const PlanPlace& at) {
    // A plan file's row is found by its line; a chosen device by its place in the table.
    QString who = at.line != 0 ? tr("Line %1: ").arg(at.line) : tr("Device %1: ").arg(at.index + 1);
    if (!at.party.empty()) {
        who += fromUtf8(at.party) + QStringLiteral(": ");
    }
    return who;
}

QString AssignTexts::refusal(const PlanRefusal& reason) {
    const PlanPlace* at = placeOf(reason);
    const QString who = at != nullptr ? AssignTexts::who(*at) : QString();
    // A value typed in the dialog's boxes is named by nothing; a plan row's by its row.
    const QString row = at != nullptr && at->line != 0 ? who : QString();
    const auto other = [at](std::size_t index) {
        return at->line != 0 ? tr(" (as an earlier row)") : tr(" (as device %1)").arg(index + 1);
    };
    return std::visit(
        [&](const auto& r) -> QString {
            using Kind = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<Kind, refusal::NoDevices>) {
                return tr("No devices were chosen.");
            } else if constexpr (std::is_same_v<Kind, refusal::BadAddress>) {
                return !row.isEmpty() ? row + tr("The address is not a usable IPv4 address.")
                                      : tr("The first address is not a usable IPv4 address.");
            } else if constexpr (std::is_same_v<Kind, refusal::BadNetMask>) {
                return row + tr("The subnet mask is not a mask.");
            } else if constexpr (std::is_same_v<Kind, refusal::NoHostInMask>) {
                return row + tr("The subnet mask leaves no address for a device.");
            } else if constexpr (std::is_same_v<Kind, refusal::AddressNotHost>) {
                return row + tr("The address is the subnet's network or broadcast address.");
            } else if constexpr (std::is_same_v<Kind, refusal::BadGateway>) {
                return row + tr("The gateway is not an address in the subnet.");
            } else if constexpr (std::is_same_v<Kind, refusal::BadDns>) {
                return row + tr("The DNS server is not a usable IPv4 address.");
            } else if constexpr (std::is_same_v<Kind, refusal::BadHttpPort>) {
                return row + (r.check == HttpPortCheck::Refused
                                  ? tr("The HTTP port 10000 cannot be used.")
                                  : tr("The HTTP port is not 1..65535."));
            } else if constexpr (std::is_same_v<Kind, refusal::OutOfAddresses>) {
                return who + tr("The subnet has no free address left for it.");
            } else if constexpr (std::is_same_v<Kind, refusal::MissingDeviceId>) {
                return who + tr("The device reports no device ID, so no request can name it.");
            } else if constexpr (std::is_same_v<Kind, refusal::SharedDeviceId>) {
                return who +
                       tr("Another chosen device has the same device ID%1.").arg(other(r.other));
            } else if constexpr (std::is_same_v<Kind, refusal::DuplicateMac>) {
                return who + tr("The device is chosen twice%1.").arg(other(r.other));
            } else if constexpr (std::is_same_v<Kind, refusal::UnknownMac>) {
                return who + tr("No device with this MAC answered the search.");
            } else if constexpr (std::is_same_v<Kind, refusal::UnknownEndpoint>) {
                return who + tr("No camera with this endpoint reference answered the search.");
            } else if constexpr (std::is_same_v<Kind, refusal::NoRoute>) {
                return who + tr("The camera gave no ONVIF device service to change it through.");
            } else if constexpr (std::is_same_v<Kind, refusal::BadMac>) {
                return who + tr("Not a MAC address.");
            } else if constexpr (std::is_same_v<Kind, refusal::DuplicateAddress>) {
                return who + tr("The address is given twice%1.").arg(other(r.other));
            } else if constexpr (std::is_same_v<Kind, refusal::AddressTaken>) {
                return who + skipped(r.by);
            } else {
                static_assert(std::is_same_v<Kind, refusal::GatewayOutsideSubnet>);
                return who + outsideGateway(r);
            }
        },
        reason);
}

QString AssignTexts::outsideGateway(const refusal::GatewayOutsideSubnet& e) {
    // The first three by name: a refusal of 200 devices must still fit the dialog's line.
    constexpr int kNamed = 3;
    const int others = static_cast<int>(e.others.size());
    QStringList named;
    for (int i = 0; i < others && i < kNamed; ++i) {
        named << fromUtf8(e.others[static_cast<std::size_t>(i)]);
    }
    QString also;
    if (others > kNamed) {
        also = tr(" (so are those of %1 and %n more)", nullptr, others - kNamed)
                   .arg(named.join(QStringLiteral(", ")));
    } else if (others > 0) {
        also = tr(" (so are those of %1)").arg(named.join(QStringLiteral(", ")));
    }
    const QString gateway = fromUtf8(e.gateway);
    // A plan file's row names its own gateway; the range plan's box is typed in.
    return e.at.line != 0
               ? tr("Its own gateway %1 is outside the row's subnet%2. Give the row a GateWay "
                    "(0.0.0.0 for none).")
                     .arg(gateway, also)
               : tr("Its own gateway %1 is outside the new subnet%2. Type a gateway (0.0.0.0 "
                    "for none).")
                     .arg(gateway, also);
}

QString AssignTexts::skipped(const SkippedAddress& s) {
    const QString address = QString::fromStdString(s.address.text());
    const QString party = fromUtf8(s.party);
    switch (s.reason) {
    case SkipReason::ReportedByDevice:
        return tr("%1: reported by %2").arg(address, party);
    case SkipReason::PcAddress:
        return party.isEmpty() ? tr("%1: this PC's address").arg(address)
                               : tr("%1: this PC's address on %2").arg(address, party);
    case SkipReason::Gateway:
        return party.isEmpty() ? tr("%1: the gateway").arg(address)
                               : tr("%1: the gateway of %2").arg(address, party);
    case SkipReason::InUse:
        return party.isEmpty() ? tr("%1: in use on the LAN").arg(address)
                               : tr("%1: in use on the LAN by %2").arg(address, party);
    }
    return tr("%1: taken").arg(address);
}

QString AssignTexts::check(AddressCheck check) {
    switch (check) {
    case AddressCheck::Free:
        return tr("free");
    case AddressCheck::NotChecked:
        return tr("not checked (outside the adapter's subnet)");
    case AddressCheck::Failed:
        return tr("not checked (the check failed)");
    case AddressCheck::Off:
        return tr("planned");
    case AddressCheck::Kept:
        return tr("kept: the device's own address");
    }
    return {};
}

QString AssignTexts::status(AssignStatus status) {
    switch (status) {
    case AssignStatus::Planned:
        return tr("planned");
    case AssignStatus::Sending:
        return tr("sending");
    case AssignStatus::Accepted:
        return tr("accepted");
    case AssignStatus::Refused:
        return tr("refused");
    case AssignStatus::NoAnswer:
        return tr("no answer");
    case AssignStatus::Late:
        return tr("late");
    case AssignStatus::NotSent:
        return tr("not sent");
    case AssignStatus::Verified:
        return tr("verified");
    case AssignStatus::NotVerified:
        return tr("not verified");
    case AssignStatus::Missing:
        return tr("missing");
    case AssignStatus::Unchanged:
        return tr("unchanged");
    case AssignStatus::Failed:
        return tr("failed");
    }
    return {};
}

QString AssignTexts::planFile(const PlanFileReading& r) {
    const QString at = r.line != 0 ? tr("Line %1: ").arg(r.line) : QString();
    const QString detail = fromUtf8(r.detail);
    switch (r.error) {
    case PlanFileError::None:
        return {};
    case PlanFileError::Unreadable:
        return tr("The plan file cannot be read.");
    case PlanFileError::TooLarge:
        return tr("The plan file is too large.");
    case PlanFileError::NoHeader:
        return tr("The plan file has no header row.");
    case PlanFileError::LineTooLong:
        return at + tr("The line is too long.");
    case PlanFileError::TooManyRows:
        return at + tr("The plan file has too many rows.");
    case PlanFileError::ControlCharacter:
        return at + tr("The line holds a control character.");
    case PlanFileError::BadQuoting:
        return at + tr("A quote is not closed, or text follows a closing quote.");
    case PlanFileError::DuplicateColumn:
        return at + tr("The header names the column %1 twice.").arg(detail);
    case PlanFileError::MissingColumn:
        return at + tr("The header has no column %1.").arg(detail);
    case PlanFileError::FieldCount:
        return at + tr("The row has %1 fields, the header %2.").arg(r.fields).arg(r.columns);
    case PlanFileError::MissingValue:
        return at + tr("The row has no value for %1.").arg(detail);
    }
    return tr("The plan file cannot be used.");
}

QString AssignTexts::result(const AssignRun::Entry& entry) {
    const QString words = QString::fromStdString(entry.detail);
    if (entry.status == AssignStatus::Failed) {
        //: %1 says why in English words from the camera or the plan, e.g. "no answer within
        //: 10000 ms".
        return tr("failed: %1").arg(words);
    }
    if (entry.status == AssignStatus::NotVerified && !words.isEmpty()) {
        //: %1 says what the camera read back otherwise, e.g. "gateway 10.1.0.1 reads 0.0.0.0".
        return tr("not verified: %1").arg(words);
    }
    return status(entry.status);
}

} // namespace ondrel
