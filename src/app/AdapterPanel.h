#pragma once
// The "Local PC information:" group: the adapter list and the five read-only fields of the
// chosen adapter, filled by the display rules of AdapterDisplay.

#include "netinfo/AdapterDisplay.h"

#include <array>

class QComboBox;
class QLineEdit;

namespace ondrel {

class AdapterPanel {
public:
    // fields: IP address, subnet mask, gateway, DNS1, DNS2.
    AdapterPanel(QComboBox* list, std::array<QLineEdit*, 5> fields);

    // Reads the adapters, lists them, selects the default one and shows its addresses.
    void FillAdapterList(IAdapterSource& source);
    // Reads the adapters again (say, once the DNS servers are known), keeping the entry the
    // user chose when it is still there.
    void Refresh(IAdapterSource& source);
    // Shows the addresses of the entry selected in the list.
    void OnAdapterSelChange();
    // The adapters are gone: nothing is shown for any entry from now on.
    void Release();

    const AdapterDisplay& Display() const { return m_display; }

private:
    QComboBox* m_list;
    std::array<QLineEdit*, 5> m_fields;
    AdapterDisplay m_display;
};

} // namespace ondrel
