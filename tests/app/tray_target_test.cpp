#include "app/tray_target.h"

#include <gtest/gtest.h>

#include <ostream>

std::ostream& operator<<(std::ostream& out, const TrayRect& rect) {
    return out << "{" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom << "}";
}

namespace {

constexpr TrayRect kWorkArea{0, 0, 1280, 984};

TrayTargetInputs Inputs(std::optional<TrayRect> notifyArea, std::optional<TaskbarPosition> taskbar,
                        std::optional<TrayRect> taskbarWindow) {
    TrayTargetInputs inputs;
    inputs.notifyArea = notifyArea;
    inputs.taskbar = taskbar;
    inputs.taskbarWindow = taskbarWindow;
    inputs.workArea = kWorkArea;
    return inputs;
}

TEST(TrayTargetRect, FirstRuleThatApplies) {
    const TrayRect bottomBar{0, 984, 1280, 1024};
    const TrayRect notify{1100, 986, 1276, 1022};
    const struct {
        const char* label;
        TrayTargetInputs inputs;
        TrayRect expected;
    } cases[] = {
        {"notification area wins over everything",
         Inputs(notify, TaskbarPosition{TaskbarEdge::kBottom, bottomBar}, bottomBar), notify},
        {"bottom taskbar: full height, 100 to 16 left of its right edge",
         Inputs(std::nullopt, TaskbarPosition{TaskbarEdge::kBottom, bottomBar}, bottomBar),
         {1180, 984, 1264, 1024}},
        {"top taskbar",
         Inputs(std::nullopt, TaskbarPosition{TaskbarEdge::kTop, {0, 0, 1280, 40}}, std::nullopt),
         {1180, 0, 1264, 40}},
        {"left taskbar: full width, 100 to 16 above its bottom",
         Inputs(std::nullopt, TaskbarPosition{TaskbarEdge::kLeft, {0, 0, 62, 1024}}, std::nullopt),
         {0, 924, 62, 1008}},
        {"right taskbar on a second monitor",
         Inputs(std::nullopt, TaskbarPosition{TaskbarEdge::kRight, {2498, -200, 2560, 880}}, std::nullopt),
         {2498, 780, 2560, 864}},
        {"taskbar window larger than the corner: cut keeping right and bottom",
         Inputs(std::nullopt, std::nullopt, bottomBar),
         {1130, 994, 1280, 1024}},
        {"taskbar window smaller than the corner stays whole",
         Inputs(std::nullopt, std::nullopt, TrayRect{1200, 1000, 1280, 1024}),
         {1200, 1000, 1280, 1024}},
        {"taskbar window narrow and tall",
         Inputs(std::nullopt, std::nullopt, TrayRect{-62, 0, 0, 1024}),
         {-62, 994, 0, 1024}},
        {"only the work area: its bottom-right 150 x 30",
         Inputs(std::nullopt, std::nullopt, std::nullopt),
         {1130, 954, 1280, 984}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        EXPECT_EQ(TrayTargetRect(testCase.inputs), testCase.expected);
    }
}

}  // namespace
