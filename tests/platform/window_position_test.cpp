// Remembering window positions: what is written on close, what a reopened window gets back.
#include "platform/window_position.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "core/profile.h"
#include "fakes/case_names.h"
#include "fakes/temp_folder.h"

namespace tarvelo::platform {
namespace {

namespace fs = std::filesystem;

// A window as the procedures see it, with a font of 8 x 16 pixels, so 2 pixels make one horizontal and
// one vertical dialog unit and the round trip is exact.
class FakeWindow : public PositionedWindow {
public:
    WindowRect rect{100, 60, 400, 300};
    bool maximized = false;
    bool minimized = false;
    bool resizable = true;
    DialogBase base{8, 16};
    int rectChanges = 0;
    int maximizeCalls = 0;

    bool isMaximized() const override { return maximized; }
    bool isMinimized() const override { return minimized; }
    WindowRect normalRect() const override { return rect; }
    void setNormalRect(const WindowRect& r) override {
        rect = r;
        ++rectChanges;
    }
    bool isResizable() const override { return resizable; }
    void setMaximized(bool m) override {
        maximized = m;
        ++maximizeCalls;
    }
    DialogBase dialogBase() const override { return base; }
    WindowRect availableArea(const WindowRect&) const override { return screen; }
    WindowRect screen{0, 0, 1920, 1080};
};

class WindowPositionTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = test::makeTempFolder("tarvelo-winpos");
        ASSERT_FALSE(m_folder.empty());
    }
    void TearDown() override { fs::remove_all(m_folder); }

    ProfileFile ini() const { return ProfileFile("Tarvelo96.INI", m_folder.string()); }
    std::string iniText() const {
        std::ifstream in(m_folder / "Tarvelo96.INI");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void store(const char* key, const char* value) {
        ProfileFile file = ini();
        ASSERT_TRUE(file.write("Main", key, value));
    }

    fs::path m_folder;
};

TEST_F(WindowPositionTest, GivenNoSectionWhenRestoringThenTheWindowIsLeftWhereTheSystemPutItNotMaximized) {
    FakeWindow window;
    const WindowRect before = window.rect;
    restoreWindowPosition(window, ini(), "Main");
    EXPECT_EQ(window.rect, before);
    EXPECT_FALSE(window.maximized);
    EXPECT_EQ(window.maximizeCalls, 0);  // not even the maximized state is touched
}

TEST_F(WindowPositionTest, GivenANormalWindowWhenSavedAndReopenedThenItGetsItsPositionAndSizeBack) {
    FakeWindow closing;
    closing.rect = {240, 130, 620, 410};
    ProfileFile file = ini();
    saveWindowPosition(closing, file, "Main");

    FakeWindow reopened;
    restoreWindowPosition(reopened, ini(), "Main");
    EXPECT_EQ(reopened.rect, closing.rect);
    EXPECT_FALSE(reopened.maximized);
}

TEST_F(WindowPositionTest, GivenAWindowWhenSavedThenTheKeysAreWrittenInDialogUnitsInTheirOrder) {
    FakeWindow closing;
    closing.rect = {240, 130, 620, 410};  // 8 x 16 font: x / 2, y / 2
    ProfileFile file = ini();
    saveWindowPosition(closing, file, "ShowMessage");

    const std::string text = iniText();
    const auto at = [&](const char* line) { return text.find(line); };
    ASSERT_NE(at("[ShowMessage]"), std::string::npos) << text;
    ASSERT_NE(at("Maximize=No"), std::string::npos) << text;
    ASSERT_NE(at("XPosit=120"), std::string::npos) << text;
    ASSERT_NE(at("YPosit=65"), std::string::npos) << text;
    ASSERT_NE(at("Width=310"), std::string::npos) << text;
    ASSERT_NE(at("Height=205"), std::string::npos) << text;
    EXPECT_LT(at("Maximize="), at("XPosit="));
    EXPECT_LT(at("XPosit="), at("YPosit="));
    EXPECT_LT(at("YPosit="), at("Width="));
    EXPECT_LT(at("Width="), at("Height="));
}

TEST_F(WindowPositionTest, GivenAMaximizedWindowWhenSavedAndReopenedThenItIsMaximizedOverItsNormalRectangle) {
    FakeWindow closing;
    closing.rect = {300, 200, 500, 320};  // the normal rectangle behind the maximized window
    closing.maximized = true;
    ProfileFile file = ini();
    saveWindowPosition(closing, file, "Main");
    EXPECT_EQ(ini().read("Main", "Maximize"), "Yes");

    FakeWindow reopened;
    restoreWindowPosition(reopened, ini(), "Main");
    EXPECT_TRUE(reopened.maximized);
    EXPECT_EQ(reopened.rect, closing.rect);  // un-maximizing gives the remembered normal size
}

TEST_F(WindowPositionTest, GivenAMinimizedWindowWhenSavedThenTheSectionIsLeftAsItWas) {
    FakeWindow earlier;
    earlier.rect = {240, 130, 620, 410};
    ProfileFile file = ini();
    saveWindowPosition(earlier, file, "Main");
    const std::string before = iniText();

    FakeWindow minimized;
    minimized.rect = {0, 0, 160, 30};
    minimized.minimized = true;
    minimized.maximized = true;
    saveWindowPosition(minimized, file, "Main");
    EXPECT_EQ(iniText(), before);

    FakeWindow reopened;
    restoreWindowPosition(reopened, ini(), "Main");
    EXPECT_EQ(reopened.rect, earlier.rect);
    EXPECT_FALSE(reopened.maximized);
}

TEST_F(WindowPositionTest, GivenAFixedSizeWindowWhenReopenedThenOnlyItsPositionIsRestored) {
    store("XPosit", "50");
    store("YPosit", "40");
    store("Width", "999");
    store("Height", "999");
    FakeWindow fixed;
    fixed.resizable = false;
    fixed.rect = {0, 0, 370, 184};
    restoreWindowPosition(fixed, ini(), "Main");
    EXPECT_EQ(fixed.rect, (WindowRect{100, 80, 370, 184}));
}

TEST_F(WindowPositionTest, GivenAFixedSizeWindowWithoutStoredSizeWhenReopenedThenItIsStillMoved) {
    store("XPosit", "50");
    store("YPosit", "40");
    FakeWindow fixed;
    fixed.resizable = false;
    fixed.rect = {0, 0, 370, 184};
    restoreWindowPosition(fixed, ini(), "Main");
    EXPECT_EQ(fixed.rect, (WindowRect{100, 80, 370, 184}));
}

struct IncompleteCase {
    const char* name;
    const char* x;
    const char* y;
    const char* width;
    const char* height;
    const char* maximize;
    bool moved;
    bool maximized;
    bool maximizeTouched;
};

class IncompletePositionTest : public WindowPositionTest, public ::testing::WithParamInterface<IncompleteCase> {};

TEST_P(IncompletePositionTest, GivenAStoredSectionWhenReopenedThenOnlyUsableValuesMoveTheWindow) {
    const IncompleteCase& c = GetParam();
    if (c.x) store("XPosit", c.x);
    if (c.y) store("YPosit", c.y);
    if (c.width) store("Width", c.width);
    if (c.height) store("Height", c.height);
    if (c.maximize) store("Maximize", c.maximize);
    FakeWindow window;
    const WindowRect before = window.rect;
    restoreWindowPosition(window, ini(), "Main");
    EXPECT_EQ(window.rect != before, c.moved);
    EXPECT_EQ(window.maximized, c.maximized);
    EXPECT_EQ(window.maximizeCalls > 0, c.maximizeTouched);
}

INSTANTIATE_TEST_SUITE_P(
    WindowPosition, IncompletePositionTest,
    ::testing::Values(
        // XPosit 0 means nothing is stored: not even Maximize is applied.
        IncompleteCase{"XPositZero", "0", "40", "200", "100", "Yes", false, false, false},
        IncompleteCase{"XPositAbsent", nullptr, "40", "200", "100", "Yes", false, false, false},
        // YPosit 0 leaves the window where it is but the maximized state is still restored.
        IncompleteCase{"YPositZero", "50", "0", "200", "100", "Yes", false, true, true},
        IncompleteCase{"WidthZero", "50", "40", "0", "100", "No", false, false, true},
        IncompleteCase{"HeightAbsent", "50", "40", "200", nullptr, "No", false, false, true},
        IncompleteCase{"NotANumber", "fifty", "40", "200", "100", "No", false, false, false},
        IncompleteCase{"FractionsCutTowardZero", "50.9", "40.2", "200.7", "100.5", "No", true, false, true},
        IncompleteCase{"MaximizeIsCaseSensitive", "50", "40", "200", "100", "yes", true, false, true},
        IncompleteCase{"NegativePositionIsAPosition", "-20", "40", "200", "100", "No", true, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct OnScreenCase {
    const char* name;
    const char* x;
    const char* y;
    const char* width;
    const char* height;
    bool resizable;
    WindowRect expected;  // pixels; the screen is 1920 x 1080, the font 8 x 16 (2 pixels a unit)
};

class OnScreenTest : public WindowPositionTest, public ::testing::WithParamInterface<OnScreenCase> {};

TEST_P(OnScreenTest, GivenStoredValuesOffTheScreenWhenReopenedThenTheWindowLandsOnItAndIsSavedBackThere) {
    const OnScreenCase& c = GetParam();
    store("XPosit", c.x);
    store("YPosit", c.y);
    store("Width", c.width);
    store("Height", c.height);
    FakeWindow window;
    window.resizable = c.resizable;
    window.rect = {100, 60, 400, 300};

    restoreWindowPosition(window, ini(), "Main");
    EXPECT_EQ(window.rect, c.expected);

    ProfileFile file = ini();
    saveWindowPosition(window, file, "Main");
    FakeWindow reopened;
    reopened.resizable = c.resizable;
    reopened.rect = window.rect;
    restoreWindowPosition(reopened, ini(), "Main");
    EXPECT_EQ(reopened.rect, c.expected) << "what was saved back is on the screen too";
}

INSTANTIATE_TEST_SUITE_P(
    WindowPosition, OnScreenTest,
    ::testing::Values(
        OnScreenCase{"AlreadyOnScreen", "50", "40", "200", "100", true, {100, 80, 400, 200}},
        OnScreenCase{"LargestPosition", "2147483647", "2147483647", "200", "100", true, {1520, 880, 400, 200}},
        OnScreenCase{"FarLeftAndAbove", "-100000", "-5", "200", "100", true, {0, 0, 400, 200}},
        OnScreenCase{"HangingOverTheRightEdge", "900", "40", "200", "100", true, {1520, 80, 400, 200}},
        OnScreenCase{"LargerThanTheScreenIsShrunk", "10", "10", "2147483647", "5000", true, {0, 0, 1920, 1080}},
        OnScreenCase{"FixedSizeKeepsItsSize", "2147483647", "-2147483647", "1", "1", false, {1520, 0, 400, 300}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowPositionTest, GivenAnAlreadyMaximizedWindowWhenRestoredThenItIsNotMovedButTheStoredStateApplies) {
    store("XPosit", "50");
    store("YPosit", "40");
    store("Width", "200");
    store("Height", "100");
    store("Maximize", "No");
    FakeWindow window;
    window.maximized = true;
    restoreWindowPosition(window, ini(), "Main");
    EXPECT_EQ(window.rectChanges, 0);
    EXPECT_FALSE(window.maximized);
}

TEST_F(WindowPositionTest, GivenAWindowAtTheLeftEdgeWhenReopenedThenItIsNotMovedSinceZeroMeansNothingStored) {
    FakeWindow closing;
    closing.rect = {0, 130, 620, 410};
    ProfileFile file = ini();
    saveWindowPosition(closing, file, "Main");
    FakeWindow reopened;
    const WindowRect before = reopened.rect;
    restoreWindowPosition(reopened, ini(), "Main");
    EXPECT_EQ(reopened.rect, before);
}

struct ConversionCase {
    WindowRect pixels;
    DialogBase base;
    WindowRect units;
};

class DialogUnitTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(DialogUnitTest, GivenPixelsAndAFontThenDialogUnitsAreQuarterCharacterWidthsAndEighthHeights) {
    const ConversionCase& c = GetParam();
    EXPECT_EQ(toDialogUnits(c.pixels, c.base), c.units);
}

INSTANTIATE_TEST_SUITE_P(
    WindowPosition, DialogUnitTest,
    ::testing::Values(
        // The classic 6 x 13 font: 500 x 300 units make a 750 x 488 window.
        ConversionCase{{0, 0, 750, 488}, {6, 13}, {0, 0, 500, 300}},
        ConversionCase{{9, 13, 6, 13}, {6, 13}, {6, 8, 4, 8}},
        // Rounded to the nearest unit, halves away from zero, also for negative positions.
        ConversionCase{{7, 1, 8, 0}, {6, 13}, {5, 1, 5, 0}},
        ConversionCase{{-7, -1, 1, 1}, {6, 13}, {-5, -1, 1, 1}},
        // A font that cannot be measured counts as one pixel per character.
        ConversionCase{{10, 10, 10, 10}, {0, 0}, {40, 80, 40, 80}}),
    [](const ::testing::TestParamInfo<ConversionCase>& info) {
        const WindowRect& p = info.param.pixels;
        return test::caseName(std::to_string(p.x) + " " + std::to_string(p.y) + " " + std::to_string(p.width) + " " +
                              std::to_string(p.height) + " in " + std::to_string(info.param.base.averageCharWidth) + "x" +
                              std::to_string(info.param.base.charHeight));
    });

TEST(DialogUnitRoundTrip, GivenAnyWindowRectThenConvertingBackIsWithinOneUnit) {
    const DialogBase base{7, 15};
    for (int px = -50; px < 2000; px += 13) {
        const WindowRect back = toPixels(toDialogUnits({px, px, px, px}, base), base);
        EXPECT_LE(std::abs(back.x - px), base.averageCharWidth / 4 + 1) << px;
        EXPECT_LE(std::abs(back.y - px), base.charHeight / 8 + 1) << px;
    }
}

}  // namespace
}  // namespace tarvelo::platform
