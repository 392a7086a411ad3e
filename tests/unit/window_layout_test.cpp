#include "ui/layout/window_layout.h"

#include <gtest/gtest.h>

#include <set>

#include "core/gbk.h"

namespace routerdesk::layout {
namespace {

struct Expected {
    const char* name;
    int x;  // relative to the window's client area
    int y;
    int width;
    int height;
};

// Every control's place in the window, as the layout's table gives it in window coordinates.
TEST(MainWindowLayoutTest, EveryControlStandsWhereTheTableSays) {
    const Expected expected[] = {
        {"分组框2", 4, 4, 304, 216},     {"标签4", 8, 20, 67, 24},
        {"编辑框4", 78, 20, 220, 24},    {"标签18", 8, 48, 67, 24},
        {"编辑框17", 78, 48, 220, 24},   {"标签5", 8, 76, 67, 24},
        {"编辑框5", 78, 76, 220, 24},    {"标签6", 8, 104, 67, 24},
        {"编辑框6", 78, 104, 220, 24},   {"标签7", 8, 132, 67, 24},
        {"编辑框7", 78, 132, 220, 24},   {"标签8", 8, 160, 67, 24},
        {"编辑框8", 78, 160, 220, 24},   {"标签9", 8, 188, 67, 24},
        {"编辑框9", 78, 188, 220, 24},   {"分组框3", 316, 4, 304, 216},
        {"标签10", 320, 19, 67, 24},     {"编辑框10", 390, 19, 220, 24},
        {"标签11", 320, 47, 67, 24},     {"编辑框11", 391, 47, 220, 24},
        {"标签12", 320, 75, 67, 24},     {"编辑框12", 391, 75, 220, 24},
        {"标签13", 320, 103, 67, 24},    {"编辑框13", 391, 103, 220, 24},
        {"标签14", 320, 132, 67, 24},    {"编辑框14", 391, 130, 220, 24},
        {"标签15", 320, 160, 67, 24},    {"编辑框15", 391, 159, 220, 24},
        {"标签16", 320, 188, 100, 24},   {"编辑框16", 424, 188, 188, 24},
        {"分组框1", 1, 223, 307, 104},   {"标签1", 8, 239, 67, 24},
        {"编辑框1", 77, 239, 220, 24},   {"标签2", 7, 267, 67, 24},
        {"编辑框2", 77, 267, 220, 24},   {"标签3", 7, 296, 67, 24},
        {"编辑框3", 77, 295, 220, 24},   {"分组框4", 312, 224, 308, 104},
        {"标签19", 328, 240, 280, 24},   {"标签20", 320, 276, 67, 24},
        {"编辑框18", 388, 276, 164, 24}, {"按钮5", 560, 276, 48, 24},
        {"分组框5", 4, 331, 616, 93},    {"按钮3", 46, 363, 92, 28},
        {"按钮2", 191, 363, 92, 28},     {"按钮4", 335, 363, 92, 28},
        {"按钮1", 477, 363, 92, 28},     {"标签17", 32, 428, 552, 24},
    };
    const WindowLayout& window = mainWindowLayout();
    ASSERT_EQ(window.controls.size(), std::size(expected));
    for (std::size_t i = 0; i < window.controls.size(); ++i) {
        const ControlLayout& control = window.controls[i];
        const Rect rect = windowRect(window, control);
        EXPECT_EQ(gbkToUtf8(control.name), expected[i].name);
        EXPECT_EQ(rect.x, expected[i].x) << expected[i].name;
        EXPECT_EQ(rect.y, expected[i].y) << expected[i].name;
        EXPECT_EQ(rect.width, expected[i].width) << expected[i].name;
        EXPECT_EQ(rect.height, expected[i].height) << expected[i].name;
    }
}

TEST(MainWindowLayoutTest, FieldsRolesTextsAndColours) {
    const WindowLayout& window = mainWindowLayout();
    EXPECT_EQ(gbkToUtf8(window.caption), "TP-Link TL-WR745N 无线路由管理器    RouterDesk");
    EXPECT_EQ(window.outerWidth, 632);
    EXPECT_EQ(window.outerHeight, 478);
    std::set<Field> fields;
    int edits = 0, labels = 0, buttons = 0, groups = 0;
    for (const ControlLayout& control : window.controls) {
        if (control.field) {
            EXPECT_TRUE(fields.insert(*control.field).second) << fieldName(*control.field);
        }
        edits += control.kind == ControlKind::editBox;
        labels += control.kind == ControlKind::label;
        buttons += control.kind == ControlKind::button;
        groups += control.kind == ControlKind::groupBox;
        if (control.kind == ControlKind::editBox) {
            EXPECT_TRUE(control.text.empty());
            EXPECT_EQ(control.textColor, control.field == Field::wanLinkBox ? kRed : kBlack);
        }
    }
    EXPECT_EQ(static_cast<int>(fields.size()), kFieldCount);
    EXPECT_EQ(edits, 18);
    EXPECT_EQ(labels, 20);
    EXPECT_EQ(buttons, 5);
    EXPECT_EQ(groups, 5);
    const auto& status = window.controls[47];
    EXPECT_EQ(status.role, Role::statusLine);
    EXPECT_EQ(gbkToUtf8(status.text), "内置刷新频率为 3秒刷新信息一次");
    EXPECT_EQ(status.textColor, kBlue);
    EXPECT_TRUE(status.centred);
    EXPECT_EQ(gbkToUtf8(window.controls[38].text), "标签");
    EXPECT_EQ(window.controls[38].textColor, kPurple);
    EXPECT_EQ(gbkToUtf8(window.controls[0].text), "\t无线状态");
    EXPECT_EQ(gbkToUtf8(window.controls[13].text), "  WDS状态：");
    EXPECT_EQ(gbkToUtf8(kStatusFontFace), "宋体");
    EXPECT_EQ(gbkToUtf8(kMessageCaption), "信息：");
}

TEST(LoginWindowLayoutTest, ControlsAndDefaults) {
    const WindowLayout& window = loginWindowLayout();
    EXPECT_EQ(gbkToUtf8(window.caption), "TP 管理密码设置");
    EXPECT_EQ(window.outerWidth, 237);
    EXPECT_EQ(window.outerHeight, 141);
    ASSERT_EQ(window.controls.size(), 9u);
    EXPECT_EQ(window.controls[5].role, Role::portBox);
    EXPECT_EQ(window.controls[5].text, "80");
    EXPECT_EQ(window.controls[8].role, Role::ipBox);
    EXPECT_EQ(window.controls[8].text, "192.168.1.1");
    EXPECT_EQ(window.controls[6].role, Role::loginOkButton);
    EXPECT_EQ(gbkToUtf8(window.controls[6].text), "确定");
    EXPECT_EQ(gbkToUtf8(window.controls[7].text), "管理IP：");
}

}  // namespace
}  // namespace routerdesk::layout
