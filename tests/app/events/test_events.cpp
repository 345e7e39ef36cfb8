// The path from the endpoint's receive thread to the window's thread, on QCoreApplication
// alone so that the ThreadSanitizer build, which builds no window, runs it: replies handed over
// from another thread arrive in order, in batches, on this thread, bounded (cameras and Byes
// too), and a real endpoint on loopback feeds the same path.

#include "EndpointEvents.h"
#include "LoopbackDevice.h"
#include "PumpEvents.h"
#include "Replies.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

// Collects what reaches this thread.
struct Receiver {
    explicit Receiver(EndpointEvents& events) {
        QObject::connect(&events, &EndpointEvents::repliesArrived, &events, [&] {
            EXPECT_EQ(QThread::currentThread(), events.thread());
            ReplyBatch batch = events.takeReplies();
            ++batches;
            ignored += batch.ignored;
            lost = batch.lostSinceSearch;
            for (std::size_t i = 0; i < batch.devices.size(); ++i) {
                names.emplace_back(batch.devices[i].name);
            }
            for (const CameraNews& news : batch.cameras) {
                cameras.push_back(news.left.empty() ? std::to_string(news.found.size())
                                                    : "left " + news.left);
            }
        });
        QObject::connect(&events, &EndpointEvents::updateAnswered, &events,
                         [&](UpdateResult result) { answers.push_back(result); });
    }
    int batches = 0;
    std::size_t ignored = 0;
    uint32_t lost = 0;
    std::vector<std::string> names;
    std::vector<std::string> cameras; // how many were found in a row, or who left
    std::vector<UpdateResult> answers;
};

} // namespace

TEST(EndpointEvents, RepliesFromAnotherThreadArriveInOrderInBatchesOnThisThread) {
    EndpointEvents events;
    Receiver received(events);
    const EndpointHandlers handlers = events.handlers();
    constexpr unsigned kReplies = 3000;
    std::thread receiveThread([&] {
        for (unsigned n = 0; n < kReplies; n += 10) {
            std::vector<Device> batch;
            for (unsigned i = n; i < n + 10; ++i) {
                batch.push_back(DeviceOf(Numbered(i)));
            }
            handlers.searchReplies(std::move(batch), n / 10);
        }
        handlers.updateAnswer(UpdateAnswer{UpdateResult::Accepted, {}, {}}, 0);
    });
    // This thread keeps taking batches while the other one still adds.
    ASSERT_TRUE(PumpUntil([&] { return received.answers.size() == 1; }));
    receiveThread.join();
    ASSERT_TRUE(PumpUntil([&] { return received.names.size() == kReplies; }));
    for (unsigned i = 0; i < kReplies; ++i) {
        ASSERT_EQ(received.names[i], Numbered(i).name) << i;
    }
    EXPECT_LE(received.batches, static_cast<int>(kReplies / 10));
    EXPECT_EQ(received.lost, kReplies / 10 - 1);
    EXPECT_EQ(received.answers, std::vector<UpdateResult>{UpdateResult::Accepted});
}

TEST(EndpointEvents, ABatchHoldsAtMostItsBoundAndCountsTheRest) {
    EndpointEvents events;
    Receiver received(events);
    const Device one = DeviceOf(Numbered(1));
    std::thread receiveThread([&] {
        events.handlers().searchReplies(std::vector<Device>(EndpointEvents::kMaxPending - 2, one),
                                        0);
        events.handlers().searchReplies(std::vector<Device>(7, one), 9);
        // Cameras and Byes keep their order, within a bound of their own.
        events.handlers().camerasFound({one, one}, 9);
        events.handlers().cameraLeft("urn:a", {});
        events.handlers().camerasFound(std::vector<Device>(EndpointEvents::kMaxPending, one), 9);
        events.handlers().cameraLeft("urn:b", {});
    });
    receiveThread.join();
    ASSERT_TRUE(PumpUntil([&] { return received.batches == 1; }));
    EXPECT_EQ(received.names.size(), EndpointEvents::kMaxPending);
    EXPECT_EQ(received.cameras,
              (std::vector<std::string>{"2", "left urn:a",
                                        std::to_string(EndpointEvents::kMaxPending - 3)}));
    EXPECT_EQ(received.ignored, 5u + 3u + 1u);
    EXPECT_EQ(received.lost, 9u);
}

TEST(EndpointEvents, ARealEndpointOnLoopbackFeedsThisThread) {
    DeviceSocket device;
    EndpointConfig config;
    config.bindAddress = "127.0.0.1";
    config.bindPort = 0;
    config.destAddress = "127.0.0.1";
    config.destPort = device.Port();
    EndpointEvents events;
    Receiver received(events);
    {
        DiscoveryEndpoint endpoint(config);
        endpoint.setHandlers(events.handlers());
        ASSERT_TRUE(endpoint.open());
        for (unsigned i = 0; i < 200; ++i) {
            ASSERT_TRUE(device.SendTo(endpoint.boundPort(), SearchReplyText(Numbered(i))));
        }
        ASSERT_TRUE(device.SendTo(endpoint.boundPort(), SetConfigAnswer(false)));
        ASSERT_TRUE(PumpUntil([&] { return received.answers.size() == 1; }));
        // The endpoint goes while its events may still be on their way.
    }
    PumpUntil([&] { return received.names.size() == 200; }, 1000);
    ASSERT_EQ(received.names.size(), 200u);
    EXPECT_EQ(received.names.front(), "Cam 0");
    EXPECT_EQ(received.names.back(), "Cam 199");
    EXPECT_EQ(received.answers, std::vector<UpdateResult>{UpdateResult::Refused});
}

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
