#include "CMyLock.h"

namespace ondrel {

CMyLock::~CMyLock() = default;

void CMyLock::Lock() {
    m_mutex.lock();
}

void CMyLock::Unlock() {
    m_mutex.unlock();
}

} // namespace ondrel
