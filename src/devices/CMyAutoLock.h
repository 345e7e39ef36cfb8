#pragma once
// Holds a CMyLock for exactly the enclosing scope, also when the scope is left early.

#include "CMyLock.h"

namespace ondrel {

class CMyAutoLock {
public:
    explicit CMyAutoLock(CMyLock& lock);
    virtual ~CMyAutoLock();
    CMyAutoLock(const CMyAutoLock&) = delete;
    CMyAutoLock& operator=(const CMyAutoLock&) = delete;

private:
    CMyLock& m_lock;
};

} // namespace ondrel
