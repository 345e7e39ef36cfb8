#include "SessionTest.h"

#include <QCoreApplication>
#include <QThreadPool>

namespace ondrel::testing {

namespace {

const char* outcomeName(UpdateOutcome outcome) {
    switch (outcome) {
    case UpdateOutcome::None:
        return "None";
    case UpdateOutcome::Accepted:
        return "Accepted";
    case UpdateOutcome::Refused:
        return "Refused";
    case UpdateOutcome::LateAccepted:
        return "LateAccepted";
    case UpdateOutcome::LateRefused:
        return "LateRefused";
    }
    return "?";
}

} // namespace

void SessionTest::open(TimerPeriods periods) {
    session.reset();
    endpoint = std::make_shared<FakeEndpoint>();
    clock = std::make_shared<ManualClock>();
    SessionDeps deps;
    deps.timers = periods;
    deps.endpoint.links = [] { return NetLinks{}; };
    deps.endpointOverride = endpoint;
    deps.clock = clock;
    deps.prober = prober;
    session = std::make_unique<DeviceSession>(std::move(deps));
    DeviceSession* s = session.get();
    auto say = [this](std::string text) { m_reports.push_back(std::move(text)); };
    QObject::connect(s, &DeviceSession::bindFailed, s,
                     [say](const QString& text) { say("bind failed: " + text.toStdString()); });
    QObject::connect(s, &DeviceSession::searched, s, [say] { say("searched"); });
    QObject::connect(s, &DeviceSession::statusChanged, s, [say] { say("status"); });
    QObject::connect(s, &DeviceSession::updateAnswered, s, [say](UpdateOutcome outcome) {
        say(std::string("answered ") + outcomeName(outcome));
    });
    QObject::connect(s, &DeviceSession::updateTimedOut, s, [say] { say("timed out"); });
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

std::vector<std::string> SessionTest::reported() {
    return std::exchange(m_reports, {});
}

std::string SessionTest::listedIp(int row) const {
    const Device* device = session->devices().device(row);
    return device != nullptr ? device->ip.text : std::string();
}

void SessionTest::finishBackgroundWork() {
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents();
}

} // namespace ondrel::testing
