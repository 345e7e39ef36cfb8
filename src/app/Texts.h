#pragma once
// The texts the program shows outside its forms: captions, message-box texts and the status
// line. Each goes through tr() so that a translation can replace it; the English ones are the
// texts users and scripts already know, word for word.

#include "core/Ipv4.h"

#include <QCoreApplication>
#include <QString>

#include <limits>

namespace ondrel {

class Texts {
    Q_DECLARE_TR_FUNCTIONS(Texts)

    static constexpr const char* kTitle = QT_TR_NOOP("Z6 series Search Tool(%1)");

public:
    static QString aboutEntry() { return tr("&About Quorvex..."); }
    // The window title and the About line, each with the program's version.
    static QString title(const QString& version) { return tr(kTitle).arg(version); }
    // The title in the source language: what a running copy is known by to the others,
    // whatever language each of them shows.
    static QString instanceName(const QString& version) {
        return QString::fromLatin1(kTitle).arg(version);
    }
    static QString aboutLine(const QString& version) {
        return tr("Z6 series Search Tool %1").arg(version);
    }
    // The list's headers and words are marked in the Qt-free table of a device's fields
    // (devices/DeviceFields.cpp) in this context; these are the ones other tables share.
    static QString field(const char* english) { return tr(english); }
    static QString columnNumber() { return tr("No."); }
    static QString columnName() { return tr("DeviceName"); }
    static QString columnMac() { return tr("MAC"); }
    //: %1 is a device's address, %2 the PC's adapter, %3 the others, e.g. "Cam 3
    //: (02:00:00:00:00:03), this PC".
    static QString conflictHint(const QString& ip, const QString& adapter, const QString& others) {
        return tr("%1 on %2 is also the address of %3: the browser may show another device "
                  "until each has an address of its own")
            .arg(ip, adapter, others);
    }
    static QString conflictParty(const QString& name, const QString& mac) {
        return tr("%1 (%2)").arg(name, mac);
    }
    static QString thisPc() { return tr("this PC"); }
    //: %1 and %2 are the addresses of hosts that both claim to be this camera, e.g.
    //: "10.0.0.5" and "10.0.0.66"; %1 may name several, comma-separated.
    static QString claimedHint(const QString& hosts, const QString& last) {
        return tr("Claimed by %1 and %2: either may not be this camera. Nothing is sent to it "
                  "until a search in which one of them alone answers.")
            .arg(hosts, last);
    }
    // After the few devices a conflict names: how many more share the address.
    static QString moreParties(qulonglong more) {
        if (more == 1) {
            return tr("1 more device");
        }
        //: %1 is the number of devices; the plural form follows it.
        return tr("%1 more devices", nullptr, pluralCount(more)).arg(more);
    }
    // While a filter hides rows: how many the list shows of every device found.
    static QString showing(int shown, int all) {
        return tr("Showing %1 of %2").arg(shown).arg(all);
    }
    static QString saveListEntry() { return tr("&Save list..."); }
    static QString copyEntry() { return tr("&Copy"); }
    static QString saveListCaption() { return tr("Save list"); }
    static QString csvFiles() { return tr("CSV files (*.csv)"); }
    static QString jsonFiles() { return tr("JSON files (*.json)"); }
    static QString saveFailed(const QString& file, const QString& reason) {
        return tr("The list could not be saved to %1: %2").arg(file, reason);
    }
    static QString outsideSubnetHint(const QString& ip, const QString& adapter,
                                     const QString& subnet) {
        return tr("%1 is outside %2's subnet %3: the browser cannot reach it until you change "
                  "its address or the PC's")
            .arg(ip, adapter, subnet);
    }
    static QString noSubnetHint(const QString& ip, const QString& adapter) {
        return tr("%1 answered on %2, which has no IPv4 address: the browser cannot reach it "
                  "until you give the PC an address in the device's subnet or change the "
                  "device's")
            .arg(ip, adapter);
    }
    // English needs no catalogue: its singular is a text of its own and %n fills the plural,
    // while a translation picks its language's forms from the number.
    static QString searchedOn(int adapters) {
        return adapters == 1 ? tr("Searched on 1 adapter")
                             : tr("Searched on %n adapters", nullptr, adapters);
    }
    static QString deviceCount(int devices) {
        return devices == 1 ? tr("1 device") : tr("%n devices", nullptr, devices);
    }
    // What a screen reader says for the count beside "Device list:".
    static QString deviceCountName(int devices) { return tr("Device count: %1").arg(devices); }
    // The counts can pass what tr()'s int holds; %1 shows them whole, and the number given to
    // tr() only chooses the plural form.
    static QString repliesLost(qulonglong lost) {
        if (lost == 1) {
            return tr("1 reply was lost: the receive buffer was full. Search again, or raise "
                      "net.core.rmem_max");
        }
        //: %1 is the number of replies; the plural form follows it.
        return tr("%1 replies were lost: the receive buffer was full. Search again, or raise "
                  "net.core.rmem_max",
                  nullptr, pluralCount(lost))
            .arg(lost);
    }
    static QString listFull(qulonglong ignored) {
        if (ignored == 1) {
            return tr("List full: 1 more reply was ignored");
        }
        //: %1 is the number of replies; the plural form follows it.
        return tr("List full: %1 more replies were ignored", nullptr, pluralCount(ignored))
            .arg(ignored);
    }
    static QString tips() { return tr("Tips"); }
    // The caption of the box that says the tool's port could not be bound.
    static QString bindFailureCaption() { return tr("Quillnet"); }
    static QString ask() { return tr("Ask"); }
    static QString initFailed() { return tr("Failed to initialize."); }
    static QString selectDevice() { return tr("Please select one device from list."); }
    static QString confirmUpdate() { return tr("Are you sure to update the selected device?"); }
    // Asked before an update by our own protocol: its request carries the account in clear.
    static QString confirmNativeUpdate() {
        return confirmUpdate() + QStringLiteral("\n\n") +
               tr("Our own protocol sends the account and password in clear text to every device "
                  "on the LAN. A device that also speaks ONVIF is changed with the password "
                  "protected (HTTP digest) by: ondrel-cli set --protocol onvif");
    }
    static QString updated() { return tr("Device information successfully updated!"); }
    static QString wrongAccount() { return tr("The viewing account or password is wrong!"); }
    // ONVIF answers a wrong password and an account without the right alike.
    static QString cameraRefusedAccount() {
        return tr("The camera refused the account: wrong password, or an account without the "
                  "right to change settings.");
    }
    static QString portRefused() { return tr("Can't use this http port."); }
    static QString noAnswer() {
        return tr("No answer from the device. If it accepted the new settings it is restarting "
                  "now; the list will be refreshed when the restart is over.");
    }
    // Static settings that would leave the device unreachable: what `set` refuses, in its
    // words. %1 is the address, the mask or the gateway as the form holds it.
    static QString addressRefusal(AddressProblem problem, const QString& ip, const QString& mask,
                                  const QString& gateway, int prefix) {
        switch (problem) {
        case AddressProblem::None:
            break;
        case AddressProblem::NotUsableHost:
            return tr("%1 cannot be a device's address.").arg(ip);
        case AddressProblem::NotAMask:
            return tr("%1 is not a subnet mask.").arg(mask);
        case AddressProblem::NetworkAddress:
            //: %2 is the mask's prefix length, e.g. 24.
            return tr("%1 is the network address of its subnet /%2.").arg(ip).arg(prefix);
        case AddressProblem::BroadcastAddress:
            //: %2 is the mask's prefix length, e.g. 24.
            return tr("%1 is the broadcast address of its subnet /%2.").arg(ip).arg(prefix);
        case AddressProblem::GatewayOutsideSubnet:
            //: %2/%3 is the device's new address and the mask's prefix length, e.g. 10.0.0.5/24.
            return tr("The gateway %1 is not in the subnet of %2/%3.").arg(gateway, ip).arg(prefix);
        case AddressProblem::GatewayIsOwnAddress:
            return tr("The gateway %1 is the device's own address.").arg(gateway);
        }
        return {};
    }
    static QString noValidAddress() { return tr("The device reports no valid IP address."); }
    // An update over ONVIF that found every value in place already.
    static QString cameraUnchanged() {
        return tr("The camera has these settings already: nothing was changed.");
    }
    // After the restart of a camera updated over ONVIF.
    static QString cameraVerified() {
        return tr("The camera answers at its new address and reports the settings sent.");
    }
    //: %1 says what differs in English words, e.g. "gateway 10.1.0.1 reads 0.0.0.0".
    static QString cameraNotVerified(const QString& words) {
        return tr("The camera answers at its new address but does not report the settings "
                  "sent: %1")
            .arg(words);
    }
    static QString cameraMissing() {
        return tr("The camera did not answer at its new address after its restart.");
    }
    //: %1 says why in English words from the camera's answer, e.g. "no answer within 10000 ms".
    static QString cameraFailed(const QString& words) {
        return tr("The camera was not updated: failed: %1").arg(words);
    }
    // HTTP at its address would reach whichever of the cameras there answers first.
    static QString cameraSharesAddress(int others) {
        return others == 1 ? tr("The camera was not updated: it shares its address with 1 other: "
                                "connect it alone.")
                           : tr("The camera was not updated: it shares its address with %n "
                                "others: connect it alone.",
                                nullptr, others);
    }
    // In the status line while WS-Discovery's port is held by a program that shares it not.
    static QString announcementsUnheard() {
        return tr("Port 3702 is in use: cameras that announce themselves are not shown");
    }
    //: The tooltip of a camera that said it was leaving; %1 is the time, e.g. 14:05:09.
    static QString leftAt(const QString& time) { return tr("Left at %1").arg(time); }
    static QString sendFailed(const QString& reason) {
        return tr("The request could not be sent: %1").arg(reason);
    }

private:
    // Plural rules read only the last few digits of a large number, so a count too large for
    // an int keeps its last six digits above a million and takes the form it would have taken.
    static int pluralCount(qulonglong count) {
        constexpr auto kIntMax = static_cast<qulonglong>(std::numeric_limits<int>::max());
        return static_cast<int>(count <= kIntMax ? count : count % 1000000 + 1000000);
    }
};

} // namespace ondrel
