// The "Local PC information:" group as the window shows it.

#include "AppTestSupport.h"
#include "COndrelApp.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

using Servers = std::vector<std::string>;

QStringList Fields(COndrelDlg& dialog) {
    QStringList texts;
    for (int id = 1029; id <= 1033; ++id) {
        texts << qobject_cast<QLineEdit*>(dialog.GetDlgItem(id))->text();
    }
    return texts;
}

QComboBox* List(COndrelDlg& dialog) {
    return qobject_cast<QComboBox*>(dialog.GetDlgItem(1034));
}

} // namespace

TEST(AdapterPanel, ListsAdaptersSelectsTheDefaultAndFollowsTheUsersChoice) {
    LoopbackReceiver receiver;
    COndrelDlg dialog(LoopbackDeps(
        receiver.Port(),
        {Adapter("eth0 (virtio_net)", {{"0.0.0.0", "0.0.0.0"}}, "0.0.0.0", Servers{}),
         Adapter("wlan0", {{"192.168.1.7", "255.255.255.0"}, {"10.1.1.1", "255.0.0.0"}},
                 "192.168.1.1", Servers{"192.168.1.1", "8.8.8.8", "9.9.9.9"}),
         Adapter("usb0", {{"172.16.0.2", "255.255.0.0"}}, "172.16.0.1", Servers{"172.16.0.1"})}));
    QComboBox* list = List(dialog);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->itemText(0), QStringLiteral("eth0 (virtio_net)"));
    EXPECT_EQ(list->itemText(2), QStringLiteral("usb0"));
    EXPECT_EQ(list->currentIndex(), 1);
    EXPECT_EQ(Fields(dialog), (QStringList{"192.168.1.7\r\n10.1.1.1", "255.255.255.0",
                                           "192.168.1.1", "192.168.1.1", "8.8.8.8"}));

    // The user picks the next adapter with the keyboard: all five fields follow, DNS2 emptied.
    ASSERT_TRUE(ShowActive(dialog));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentIndex(), 2);
    EXPECT_EQ(Fields(dialog),
              (QStringList{"172.16.0.2", "255.255.0.0", "172.16.0.1", "172.16.0.1", ""}));
    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_EQ(Fields(dialog), (QStringList{"0.0.0.0", "0.0.0.0", "0.0.0.0", "", ""}));

    // Once the window is destroyed the entries no longer show anything.
    dialog.OnDestroy();
    list->setCurrentIndex(1);
    dialog.OnAdapterSelChange();
    EXPECT_EQ(Fields(dialog), (QStringList{"0.0.0.0", "0.0.0.0", "0.0.0.0", "", ""}));
}

TEST(AdapterPanel, NoAdaptersLeavesEverythingEmpty) {
    LoopbackReceiver receiver;
    COndrelDlg dialog(LoopbackDeps(receiver.Port(), {}));
    EXPECT_EQ(List(dialog)->count(), 0);
    EXPECT_EQ(List(dialog)->currentIndex(), -1);
    EXPECT_EQ(Fields(dialog), (QStringList{"", "", "", "", ""}));
}
