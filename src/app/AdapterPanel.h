#pragma once
// The "Local PC information:" group: the adapter list and the five read-only fields of the
// chosen adapter, filled by the display rules of AdapterDisplay.

#include "netinfo/AdapterDisplay.h"
#include "netinfo/AdapterSource.h"

#include <QWidget>

#include <memory>

namespace Ui {
class AdapterPanel;
}

namespace ondrel {

class AdapterPanel : public QWidget {
    Q_OBJECT
public:
    explicit AdapterPanel(QWidget* parent = nullptr);
    ~AdapterPanel() override;

    // Reads the adapters, lists them, selects the default one and shows its addresses.
    void fill(AdapterSource& source);
    // Reads the adapters again (say, once the DNS servers are known), keeping the entry the
    // user chose when it is still there.
    void refresh(AdapterSource& source);
    // The adapters are gone: nothing is shown for any entry from now on.
    void release();

    // The panel's controls in the order Tab visits them.
    QList<QWidget*> tabStops() const;

private:
    // Shows the addresses of the entry selected in the list.
    void showSelected();

    std::unique_ptr<Ui::AdapterPanel> m_ui;
    AdapterDisplay m_display;
};

} // namespace ondrel
