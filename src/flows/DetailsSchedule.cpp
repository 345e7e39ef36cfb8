#include "DetailsSchedule.h"

#include <algorithm>

namespace ondrel {

DetailsSchedule::DetailsSchedule(std::size_t cameras, bool withAccount, std::size_t parallel)
    : m_cameras(cameras), m_withAccount(withAccount),
      m_parallel(std::max<std::size_t>(parallel, 1)) {}

std::optional<std::size_t> DetailsSchedule::next() {
    const bool trusted = !m_withAccount || m_accepted;
    const std::size_t allowed = trusted ? m_parallel : 1;
    if (stopped() || m_next == m_cameras || m_running >= allowed) {
        return std::nullopt;
    }
    ++m_running;
    return m_next++;
}

void DetailsSchedule::finished(Answer answer) {
    m_running -= m_running > 0 ? 1 : 0;
    if (answer == Answer::Accepted) {
        m_accepted = true;
    } else if (answer == Answer::Refused && m_withAccount && !m_accepted) {
        ++m_refusals;
    }
}

} // namespace ondrel
