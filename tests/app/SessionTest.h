#pragma once
// A DeviceSession on a played endpoint and a clock the test advances: what it sends, and what
// it reports, in order, as short words ("answered Accepted", "progress 0/33", "searched").

#include "AssignBatch.h"
#include "DeviceListModel.h"
#include "DeviceSession.h"
#include "FakeCameraWorker.h"
#include "FakeEndpoint.h"
#include "ManualClock.h"
#include "Replies.h"

#include <gtest/gtest.h>

namespace ondrel::testing {

class SessionTest : public ::testing::Test {
protected:
    using Kind = FakeEndpoint::Request::Kind;

    void SetUp() override { open(); }
    void open(TimerPeriods periods = {200, 60000, 33});
    // Devices Numbered(first..first+count-1), as one batch of replies.
    void list(unsigned count, unsigned first = 0);
    // What the session reported since the last call.
    std::vector<std::string> reported() { return std::exchange(m_reports, {}); }
    std::string listedIp(int row) const { return session->listModel().device(row)->ip.text; }
    // Waits until every worker (the LAN's probe) has finished, and takes what it handed over.
    static void finishBackgroundWork();

    std::shared_ptr<FakeEndpoint> endpoint;
    std::shared_ptr<ManualClock> clock;
    std::shared_ptr<FakeCameraWorker> cameras;
    std::shared_ptr<AddressProber> prober; // set before open(), for the batch
    std::unique_ptr<DeviceSession> session;

private:
    std::vector<std::string> m_reports;
};

} // namespace ondrel::testing
