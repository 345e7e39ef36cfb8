#include "AdapterBuffer.h"

namespace ondrel {

std::unique_ptr<AdapterBuffer> g_adapterInfo;

uint32_t LoadAdapterInfo(IAdapterSource& source) {
    FreeAdapterInfo();
    auto buffer = std::make_unique<AdapterBuffer>();
    const uint32_t result = source.GetAdaptersInfo(*buffer);
    if (result != kAdaptersOk) {
        return result;
    }
    if (buffer->empty()) {
        return kAdaptersNoData;
    }
    g_adapterInfo = std::move(buffer);
    return kAdaptersOk;
}

void FreeAdapterInfo() {
    g_adapterInfo.reset();
}

} // namespace ondrel
