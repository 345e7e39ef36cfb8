#pragma once
// The table lock. Recursive for the owning thread, so that an operation that already holds it
// may call another one that takes it again.

#include <mutex>

namespace ondrel {

class CMyLock {
public:
    CMyLock() = default;
    virtual ~CMyLock();
    CMyLock(const CMyLock&) = delete;
    CMyLock& operator=(const CMyLock&) = delete;

    virtual void Lock();
    virtual void Unlock();

private:
    std::recursive_mutex m_mutex;
};

} // namespace ondrel
