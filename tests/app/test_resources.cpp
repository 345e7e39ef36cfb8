// The string table and the templates as the window reads them.

#include "ResourceStore.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace ondrel;

TEST(Resources, StringTable) {
    const struct {
        int id;
        const char* text;
    } rows[] = {
        {101, "&About Quorvex..."},
        {102, "Z6 series Search Tool(%s)"},
        {103, "Z6 series Search Tool %s"},
        {104, "MAC"},
        {2102, "No."},
        {2103, "DeviceName"},
        {2105, "Tips"},
        {2106, "Ask"},
        {2107, "Failed to initialize."},
        {2108, "Please select one device from list."},
        {2109, "Are you sure to update the selected device?"},
        {2116, "Device information successfully updated!"},
        {2117, "The viewing account or password is wrong!"},
        {2123, "Can't use this http port."},
        {2124, "No answer from the device. If it accepted the new settings it is restarting "
               "now; the list will be refreshed when the restart is over."},
        {2125, "The device reports no valid IP address."},
    };
    const ResourceStore& r = ResourceStore::Get();
    for (const auto& row : rows) {
        EXPECT_EQ(r.LoadString(row.id), QString::fromUtf8(row.text)) << row.id;
    }
    EXPECT_EQ(r.LoadString(99999), QString());
    EXPECT_EQ(ResourceStore::Format(r.LoadString(102), "1.0.1.1"),
              QStringLiteral("Z6 series Search Tool(1.0.1.1)"));
}

TEST(Resources, Templates) {
    const ResourceStore& r = ResourceStore::Get();
    const DialogSpec* main = r.Template(102);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->size, QSize(376, 305));
    EXPECT_EQ(main->caption, QStringLiteral("Z6Search and configuration tool for Z series"));
    EXPECT_EQ(main->fontFace, QStringLiteral("MS Shell Dlg"));
    EXPECT_EQ(main->fontPoints, 8);
    ASSERT_EQ(main->controls.size(), 55);
    QSet<int> ids;
    for (const ControlSpec& c : main->controls) {
        if (c.id != kNoControlId) {
            EXPECT_FALSE(ids.contains(c.id)) << c.id;
            ids.insert(c.id);
        }
        EXPECT_FALSE(c.rect.isEmpty());
    }
    EXPECT_EQ(ids.size(), 29);
    const DialogSpec* about = r.Template(100);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->size, QSize(235, 55));
    EXPECT_EQ(about->controls.size(), 4);
    EXPECT_EQ(r.Template(101), nullptr);
    EXPECT_FALSE(r.Icon(128).isNull());
    EXPECT_FALSE(r.IconPixmap(129).isNull());
}
