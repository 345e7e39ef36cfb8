#include "CMyAutoLock.h"

namespace ondrel {

CMyAutoLock::CMyAutoLock(CMyLock& lock) : m_lock(lock) {
    m_lock.Lock();
}

CMyAutoLock::~CMyAutoLock() {
    m_lock.Unlock();
}

} // namespace ondrel
