#pragma once
// The core's SearchSession as the CLI waits on it: a search (our broadcast, WS-Discovery's
// probes, or both) collected for a while (in rounds when answers were lost), one settings
// request and its answer. Answers arrive on the session's receive threads and are handed to
// the waiting main thread under a mutex, in arrival order; the device list drops exact
// repeats, keeps a camera one row and joins the two protocols' answers of one device as the
// window's does, and remembers the adapter each device answered on. Cameras that announce
// themselves during the wait are listed as those that answer.

#include "Progress.h"
#include "core/Device.h"
#include "devices/DeviceList.h"
#include "search/SearchSession.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::cli {

struct SearchOutcome {
    std::vector<Device> devices; // arrival order, exact repeats dropped
    std::string error;           // the search could not be sent or received
    // Adapters that refused the search or a probe, each as "NAME: reason".
    std::vector<std::string> refusals;
    std::string probeFailure; // the probes went nowhere, though our search did
    bool sent = false;        // at least one adapter took the search
    // Answers the kernel dropped during the last round that may have come from devices no
    // round listed.
    uint32_t lost = 0;
    std::size_t ignored = 0; // replies of new devices ignored because the list was full
    int rounds = 0;          // searches sent
    bool ok() const { return error.empty(); }
    // Counts one search sent (or refused by every adapter, which makes it an error).
    void countSearch(const SendResult& sent);
    // Counts the probes sent beside it; refused by every adapter, they are an error only when
    // they are the whole search.
    void countProbes(const SendResult& sent, bool alone);
};

enum class SetAnswer { Accepted, Refused, NoAnswer };

struct SetOutcome {
    SetAnswer answer = SetAnswer::NoAnswer;
    std::string error; // the request could not be sent: no wait took place
    std::vector<std::string> refusals;
    bool sent = false;
    bool ok() const { return error.empty(); }
};

class BlockingSession {
public:
    using StopWhen = std::function<bool(const Device&)>;

    // Between two rounds of a search, at least; and the silence that ends a round's burst.
    static constexpr std::chrono::milliseconds kRoundGap{500};
    static constexpr std::chrono::milliseconds kQuiet{150};
    // The longest a round waits for its burst to end before the next search.
    static constexpr std::chrono::seconds kBurstLimit{10};
    // How long after its last probes a search still listens, whatever stopped it: twice the
    // 500 ms in which cameras answer, so that a host that answers first in a camera's name is
    // still heard beside the camera before anything is decided.
    static constexpr std::chrono::milliseconds kHearClaims{1000};
    // Replies the receive thread may pile up before the main thread files them.
    static constexpr std::size_t kInboxBatch = 8192;

    // protocols: which searches go out, as SearchSession's.
    explicit BlockingSession(EndpointConfig config, Protocols protocols = Protocols::Native,
                             wsd::WsdConfig wsd = {});
    ~BlockingSession();
    BlockingSession(const BlockingSession&) = delete;
    BlockingSession& operator=(const BlockingSession&) = delete;

    // Binds and starts receiving; the opening's error and warnings say what failed.
    EndpointOpening open();

    // Sends one search and collects answers for waitMs, or until stopWhen holds for a device
    // that answered (or was joined by an answer).
    SearchOutcome search(int64_t waitMs, const StopWhen& stopWhen, Progress& progress);

    // Searches up to `rounds` times, at least kRoundGap apart, keeping every answer, until a
    // round loses no reply of a device not yet listed; the last round collects for waitMs.
    SearchOutcome searchInRounds(int64_t waitMs, int rounds, Progress& progress);

    // Sends the settings through the adapter the device answered on and waits up to waitMs
    // for the first accepted or refused answer.
    SetOutcome sendSettings(const Device& device, const NetworkSettings& settings,
                            const Credentials& credentials, int64_t waitMs, Progress& progress);

    // The same in steps, for a caller that waits more than once for one request: sends, and
    // keeps the first answer that follows for AwaitAnswer (answer is left unset).
    SetOutcome sendSettingsOnly(const Device& device, const NetworkSettings& settings,
                                const Credentials& credentials);
    // The first answer since the request (one that came already counts), waiting up to waitMs;
    // taken, so that a second answer counts only if it comes before the next wait ends.
    std::optional<UpdateResult> awaitAnswer(int64_t waitMs, Progress& progress,
                                            const std::string& label);
    // Answers from now on are nobody's.
    void stopAwaiting();

private:
    using Clock = std::chrono::steady_clock;

    // Replies to our search and cameras alike: a camera's protocols are Onvif.
    void onReplies(std::vector<Device>&& replies);
    void onAnswer(const UpdateAnswer& answer);
    // Sends a search and the probes; the table is emptied first unless keep.
    void sendSearch(bool keep, SearchOutcome& out);
    // Collects answers until the deadline; true when stopWhen held for one.
    bool collect(Clock::time_point deadline, const StopWhen& stopWhen, Progress& progress);
    void finish(SearchOutcome& out);
    // Collects until kHearClaims after the last probes, when there were any.
    void hearEveryClaim(Progress& progress);
    Clock::time_point lastReply();
    // Files the answers the receive threads left into the list; the index of the first device
    // new to it (the list's size when none is), or 0 when a listed device changed in place
    // (joined, moved, refreshed), so that a caller looks at it again.
    std::size_t takeInbox();
    // Replies lost in the current round that may have come from devices not listed yet.
    uint32_t stillMissing();
    // The current round has heard from as many devices as are listed (SearchTally's).
    bool heardAsManyAsListed();

    SearchSession m_session;
    DeviceList m_list;                // the main thread's alone
    Clock::time_point m_lastProbes{}; // the main thread's alone
    std::mutex m_mutex;               // guards everything below, which both threads touch
    std::condition_variable m_changed;
    std::vector<Device> m_inbox; // answers not yet filed into the list
    bool m_watchArrivals = false;
    Clock::time_point m_lastReply{};
    bool m_awaitingAnswer = false;
    std::optional<UpdateResult> m_answer;
};

} // namespace ondrel::cli
