#pragma once

// Makes one step of every atomic file write fail while it lives.

#include "storage/atomic_file.h"

class CFaultAt {
public:
    explicit CFaultAt(CAtomicFile::Step step)
    {
        CAtomicFile::SetFaultHook([step](CAtomicFile::Step s, const std::string&) { return s == step; });
    }
    ~CFaultAt() { CAtomicFile::SetFaultHook(nullptr); }
    CFaultAt(const CFaultAt&) = delete;
    CFaultAt& operator=(const CFaultAt&) = delete;
};
