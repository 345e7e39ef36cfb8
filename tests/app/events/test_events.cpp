// The path from the endpoint's receive thread to the window's thread, on QCoreApplication
// alone so that the ThreadSanitizer build, which builds no window, runs it: replies handed over
// from another thread arrive in order, in batches, on this thread, bounded, and a real endpoint
// on loopback feeds the same path.

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
        });
        QObject::connect(&events, &EndpointEvents::updateAnswered, &events,
                         [&](UpdateResult result) { answers.push_back(result); });
    }
    int batches = 0;
    std::size_t ignored = 0;
    uint32_t lost = 0;
    std::vector<std::string> names;
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
        handlers.updateAnswer(UpdateAnswer{UpdateResult::Accepted, {}}, 0);
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
    });
    receiveThread.join();
    ASSERT_TRUE(PumpUntil([&] { return received.batches == 1; }));
    EXPECT_EQ(received.names.size(), EndpointEvents::kMaxPending);
    EXPECT_EQ(received.ignored, 5u);
    EXPECT_EQ(received.lost, 9u);
}

TEST(EndpointEvents, CamerasAndByesKeepTheirOrderWithinTheSameBound) {
    EndpointEvents events;
    std::vector<CameraNews> news;
    std::size_t ignored = 0;
    QObject::connect(&events, &EndpointEvents::repliesArrived, &events, [&] {
        ReplyBatch batch = events.takeReplies();
        ignored += batch.ignored;
        news.insert(news.end(), batch.cameras.begin(), batch.cameras.end());
    });
    const Device cam = CameraOf(Numbered(1));
    const std::size_t bound = EndpointEvents::kMaxPending;
    std::thread receiveThread([&] {
        const SessionHandlers handlers = events.handlers();
        handlers.camerasFound({cam, cam}, 0);
        handlers.camerasFound({cam}, 0);
        handlers.cameraLeft(EndpointOf(Numbered(1)), {});
        handlers.cameraLeft("", {}); // names no camera
        handlers.camerasFound(std::vector<Device>(bound, cam), 0);
        handlers.cameraLeft(EndpointOf(Numbered(2)), {});
    });
    receiveThread.join();
    ASSERT_TRUE(PumpUntil([&] { return !news.empty(); }));
    ASSERT_EQ(news.size(), 3u);
    EXPECT_EQ(news[0].found.size(), 3u);
    EXPECT_EQ(news[1].left, EndpointOf(Numbered(1)));
    EXPECT_TRUE(news[1].found.empty());
    EXPECT_EQ(news[2].found.size(), bound - 4);
    EXPECT_EQ(ignored, 5u);
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
