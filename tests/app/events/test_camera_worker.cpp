// The program's camera worker on a real thread: a job runs off the asking thread with the
// worker's transport and its end comes back queued to the asking thread; after an abandon, or
// with the worker gone, the job in flight runs to its end unheard and a job not started never
// runs.

#include "PumpEvents.h"
#include "SoapFixtures.h"
#include "ThreadCameraWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

using namespace ondrel;
using namespace ondrel::testing;

TEST(ThreadCameraWorker, AnEndComesBackToThisThreadUntilAnAbandonOrTheWorkerGoes) {
    for (const bool destroyed : {false, true}) {
        SCOPED_TRACE(destroyed ? "worker destroyed" : "worker abandoned");
        auto transport = std::make_unique<FakeTransport>();
        transport->answers.push_back(onvif::HttpResponse{200, "ok"});
        auto worker = std::make_unique<ThreadCameraWorker>(std::move(transport));
        std::thread::id ranOn;
        std::thread::id deliveredOn;
        std::string answer;
        worker->run(
            [&](onvif::HttpTransport& t) {
                ranOn = std::this_thread::get_id();
                answer = std::get<onvif::HttpResponse>(t.post({})).body;
            },
            [&] { deliveredOn = std::this_thread::get_id(); });
        ASSERT_TRUE(PumpUntil([&] { return deliveredOn != std::thread::id(); }, 5000));
        EXPECT_NE(ranOn, deliveredOn);
        EXPECT_EQ(deliveredOn, std::this_thread::get_id());
        EXPECT_EQ(answer, "ok");

        std::promise<void> started;
        std::promise<void> release;
        std::atomic<bool> ended = false;
        std::atomic<int> heard = 0;
        worker->run(
            [&, go = release.get_future().share()](onvif::HttpTransport&) {
                started.set_value();
                go.wait();
                ended = true;
            },
            [&] { ++heard; });
        worker->run([&](onvif::HttpTransport&) { ++heard; }, [&] { ++heard; });
        started.get_future().wait();
        // The destructor's join waits for the job in flight.
        std::thread letGo([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            release.set_value();
        });
        if (destroyed) {
            worker.reset();
            EXPECT_TRUE(ended) << "the destructor joined the thread";
        } else {
            worker->abandon();
        }
        letGo.join();
        ASSERT_TRUE(PumpUntil([&] { return ended.load(); }, 5000));
        PumpUntil([] { return false; }, 20);
        EXPECT_EQ(heard, 0);
    }
}
