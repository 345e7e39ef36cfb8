#include "SessionTest.h"

#include <QCoreApplication>
#include <QThreadPool>

namespace ondrel::testing {

void SessionTest::open(TimerPeriods periods) {
    session.reset();
    endpoint = std::make_shared<FakeEndpoint>();
    clock = std::make_shared<ManualClock>();
    cameras = std::make_shared<FakeCameraWorker>();
    SessionDeps deps;
    deps.cameraWorker = cameras;
    deps.timers = periods;
    deps.endpoint.links = [] { return NetLinks{}; };
    deps.endpointOverride = endpoint;
    deps.clock = clock;
    deps.prober = prober;
    session = std::make_unique<DeviceSession>(std::move(deps));
    DeviceSession* s = session.get();
    auto say = [this](std::string text) { m_reports.push_back(std::move(text)); };
    QObject::connect(s, &DeviceSession::searched, s, [say] { say("searched"); });
    QObject::connect(s, &DeviceSession::statusChanged, s, [say] { say("status"); });
    QObject::connect(s, &DeviceSession::updateAnswered, s, [say](UpdateOutcome outcome) {
        const char* const names[] = {"None", "Accepted", "Refused", "LateAccepted", "LateRefused"};
        say(std::string("answered ") + names[static_cast<int>(outcome)]);
    });
    QObject::connect(s, &DeviceSession::updateTimedOut, s, [say] { say("timed out"); });
    QObject::connect(s, &DeviceSession::updateUnchanged, s, [say] { say("unchanged"); });
    QObject::connect(s, &DeviceSession::updateChecked, s,
                     [say](UpdateCheck check, const QString& words) {
                         const char* const names[] = {"verified", "not verified", "missing"};
                         say(names[static_cast<int>(check)] +
                             (words.isEmpty() ? "" : ": " + words.toStdString()));
                     });
    QObject::connect(s, &DeviceSession::updateFailed, s,
                     [say](const QString& words) { say("failed: " + words.toStdString()); });
    QObject::connect(s, &DeviceSession::updateUnreachable, s, [say](int others) {
        say("shares its address with " + std::to_string(others));
    });
    QObject::connect(s, &DeviceSession::restartProgress, s, [say](int step, int total) {
        say("progress " + std::to_string(step) + "/" + std::to_string(total));
    });
    QObject::connect(s, &DeviceSession::restartStopped, s, [say] { say("restart stopped"); });
    QObject::connect(&s->batch(), &AssignBatch::runningChanged, s,
                     [say](bool running) { say(running ? "batch locks" : "batch unlocks"); });
    ASSERT_TRUE(session->open());
}

void SessionTest::list(unsigned count, unsigned first) {
    std::vector<Device> devices;
    for (unsigned i = first; i < first + count; ++i) {
        devices.push_back(DeviceOf(Numbered(i)));
    }
    endpoint->reply(std::move(devices));
}

void SessionTest::finishBackgroundWork() {
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents();
}

} // namespace ondrel::testing
