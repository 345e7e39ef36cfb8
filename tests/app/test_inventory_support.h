#pragma once
// For the inventory tests: numbered devices played over loopback (the played-device socket and
// reply text are the update tests'), the exact bytes of a device query, and an event loop that
// runs until a condition holds.

#include "test_update_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>
#include <functional>
#include <string>

namespace ondrel::inventory_test {

using testing::DeviceSocket;
using testing::PlayedDevice;
using testing::SearchReplyText;

// Device n of a numbered family: distinct name, DevId, MAC and address.
inline PlayedDevice Numbered(unsigned n) {
    PlayedDevice d;
    d.name = "Cam " + std::to_string(n);
    d.devId = "DEV" + std::to_string(n);
    char mac[32];
    std::snprintf(mac, sizeof mac, "02:00:00:%02X:%02X:%02X", (n >> 16) & 0xFFu, (n >> 8) & 0xFFu,
                  n & 0xFFu);
    d.mac = mac;
    d.ip = "10.1." + std::to_string((n >> 8) & 0xFFu) + "." + std::to_string(n & 0xFFu);
    return d;
}

// The 260 bytes of a device query naming record: two marker bytes, the command, a zero value
// and the payload length, little-endian, then the record.
inline std::string QueryBytes(uint16_t command, const DeviceInfo& record) {
    std::string out = {'\x10',
                       '\x10',
                       static_cast<char>(command & 0xFF),
                       static_cast<char>(command >> 8),
                       '\0',
                       '\0',
                       static_cast<char>(sizeof record & 0xFF),
                       static_cast<char>(sizeof record >> 8)};
    out.append(reinterpret_cast<const char*>(&record), sizeof record);
    return out;
}

// Runs the event loop until done() or timeoutMs; done()'s last answer.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return done();
}

} // namespace ondrel::inventory_test
