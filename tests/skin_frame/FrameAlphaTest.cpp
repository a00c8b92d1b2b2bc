// Translucency and the fade-in: where the window's opacity ends after it is shown.
#include "FramedDialog.h"

#include <gtest/gtest.h>

namespace {

struct AlphaCase {
    const char* name;
    bool alphaBlend;
    bool animation;
    bool layeredAtEnd;
    int opacityAtEnd;
};

class FrameAlpha : public ::testing::TestWithParam<AlphaCase> {};

} // namespace

TEST_P(FrameAlpha, EndStateAfterShowing) {
    const AlphaCase& c = GetParam();
    FramedDialog w;
    w.QSF->SetAlphaBlend(c.alphaBlend);
    w.QSF->AlphaBlendAnimation = c.animation;
    w.dialog.show();
    if (c.alphaBlend || c.animation) {
        // Shown fully transparent, then brought up by the timer.
        EXPECT_TRUE(w.QSF->IsLayered());
        EXPECT_EQ(w.QSF->AppliedOpacity(), 0);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.QSF->AppliedOpacity() == c.opacityAtEnd; }));
    QTest::qWait(10);
    EXPECT_EQ(w.QSF->IsLayered(), c.layeredAtEnd);
    EXPECT_EQ(w.QSF->AppliedOpacity(), c.opacityAtEnd);
    EXPECT_DOUBLE_EQ(w.dialog.windowOpacity(), c.opacityAtEnd / 255.0);
}

INSTANTIATE_TEST_SUITE_P(Frame, FrameAlpha,
                         ::testing::Values(AlphaCase{"Off", false, false, false, 255},
                                           AlphaCase{"FadeInToOpaque", false, true, false, 255},
                                           AlphaCase{"FadeInToTranslucent", true, true, true, 200},
                                           AlphaCase{"TranslucentWithoutFade", true, false, true,
                                                     200}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrameAlphaSettings, ChangesApplyAtOnceToAShownWindow) {
    FramedDialog w;
    w.dialog.show();
    w.QSF->SetAlphaBlendValue(120);
    EXPECT_FALSE(w.QSF->IsLayered()); // the value waits until translucency is on
    w.QSF->SetAlphaBlend(true);
    EXPECT_TRUE(w.QSF->IsLayered());
    EXPECT_EQ(w.QSF->AppliedOpacity(), 120);
    w.QSF->SetAlphaBlendValue(90);
    EXPECT_EQ(w.QSF->AppliedOpacity(), 90);
    w.QSF->SetAlphaBlend(false);
    EXPECT_FALSE(w.QSF->IsLayered());
    EXPECT_DOUBLE_EQ(w.dialog.windowOpacity(), 1.0);
}
