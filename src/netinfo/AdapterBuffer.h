#pragma once
// The adapters read once when the window initialises. The adapter list's entries point into
// this buffer, so it lives until the window is destroyed and is replaced only as a whole.

#include "AdapterInfo.h"
#include "IAdapterSource.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace ondrel {

using AdapterBuffer = std::vector<AdapterInfo>;

extern std::unique_ptr<AdapterBuffer> g_adapterInfo;

// Frees any earlier buffer, then enumerates. kAdaptersOk when g_adapterInfo holds at least
// one adapter; otherwise the source's error, or kAdaptersNoData for a PC without adapters,
// and g_adapterInfo stays empty.
uint32_t LoadAdapterInfo(IAdapterSource& source);

void FreeAdapterInfo();

} // namespace ondrel
