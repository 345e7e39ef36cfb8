#pragma once
// Which camera is asked for its details next, apart from threads and sockets: the account
// first, then speed. With an account, cameras are asked one at a time until one takes it;
// from then on side by side, as many at once as allowed. Three refusals before any camera took
// the account end the run, so that a mistyped password reaches at most three cameras (some
// lock themselves, or the PC, after a few). A camera that does not answer neither takes nor
// refuses: the next one is asked, still alone. Without an account nothing can be refused, and
// every camera is asked side by side at once.

#include <cstddef>
#include <optional>

namespace ondrel {

class DetailsSchedule {
public:
    static constexpr std::size_t kMaxRefusals = 3;

    enum class Answer { Accepted, Refused, Other };

    DetailsSchedule(std::size_t cameras, bool withAccount, std::size_t parallel);

    // The camera to ask now (they come in order), or none until one asked has finished, or
    // ever again once every camera has been given out or the run has stopped.
    std::optional<std::size_t> next();
    void finished(Answer answer);
    // A camera being asked took the account: the others need not wait for it to end.
    void taken() { m_accepted = true; }
    // No camera is asked after this; those asked finish.
    void cancel() { m_cancelled = true; }

    // Nothing is asked and nothing more will be.
    bool over() const { return m_running == 0 && (stopped() || m_next == m_cameras); }
    // Three refusals (or a cancel) ended the run: cameras from given() on were not asked.
    bool stopped() const { return m_cancelled || refusedThrice(); }
    bool refusedThrice() const { return m_refusals >= kMaxRefusals && !m_accepted; }
    std::size_t given() const { return m_next; }

private:
    std::size_t m_cameras;
    bool m_withAccount;
    std::size_t m_parallel;
    std::size_t m_next = 0;
    std::size_t m_running = 0;
    std::size_t m_refusals = 0;
    bool m_accepted = false;
    bool m_cancelled = false;
};

} // namespace ondrel
