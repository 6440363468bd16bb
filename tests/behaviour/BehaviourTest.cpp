// The skin's decisions without a window: which state a button or strip shows and when a press becomes
// a click, where Tab goes, and which ending event decides a dialog's result. No display is opened.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "controls/ButtonBehavior.h"
#include "controls/CLabel.h"
#include "controls/CZelBmpButton.h"
#include "controls/CZelRadioButton.h"
#include "skin/CZelCommonDlg.h"
#include "skin/TabOrder.h"

namespace tessaly {
namespace {

using toolkit::Key;

// Records the commands a control sends.
struct Commands {
    std::vector<std::pair<int, int>> got;
    CSkinWidget::CommandSink Sink()
    {
        return [this](int id, int code) { got.push_back({id, code}); };
    }
};

// ---- buttons -----------------------------------------------------------------------------------

TEST(ButtonFaceChoice, PriorityTable)
{
    const ZelColor text = 0x112233, grey = kGrayText;
    auto face = [&](bool disabled, bool checked, bool selected, bool hover) {
        return ChooseButtonFace({disabled, checked, selected, hover}, text, grey);
    };
    EXPECT_EQ(face(true, true, true, true).index, kFaceDisabled);
    EXPECT_EQ(face(true, false, false, true).textColor, grey);
    EXPECT_EQ(face(false, true, false, false).index, kFacePressed);
    EXPECT_EQ(face(false, false, true, true).index, kFacePressed);
    EXPECT_EQ(face(false, false, false, true).index, kFaceHover);
    EXPECT_EQ(face(false, false, false, false).index, kFaceNormal);
    EXPECT_EQ(face(false, true, false, true).textColor, text);
}

TEST(ButtonFaceChoice, KeyboardPressHoldsUntilItsKeyIsReleasedAndClicksOnce)
{
    KeyPressTracker keys;
    EXPECT_TRUE(keys.Press(' '));
    EXPECT_TRUE(keys.Held());
    EXPECT_FALSE(keys.Press(' ')) << "a held key's repeats";
    EXPECT_FALSE(keys.Press('\r')) << "a second key";
    EXPECT_FALSE(keys.Release('\r'));
    EXPECT_TRUE(keys.Held());
    EXPECT_TRUE(keys.Release(' '));
    EXPECT_FALSE(keys.Release(' '));
    EXPECT_FALSE(keys.Held());
    keys.Press(' ');
    keys.Cancel();
    EXPECT_FALSE(keys.Release(' ')) << "letting go on lost focus clicks nothing";
}

TEST(ButtonFaceChoice, IconAndTextLayout)
{
    auto both = LayoutButtonContent(100, 30, true, 16, 16, true, 40, 14);
    EXPECT_EQ(both.iconX, 21);
    EXPECT_EQ(both.iconY, 7);
    EXPECT_EQ(both.textRect, (ZelRect{39, 8, 79, 22}));
    auto iconOnly = LayoutButtonContent(100, 30, true, 16, 16, false, 0, 0);
    EXPECT_EQ(iconOnly.iconX, 42);
    auto textOnly = LayoutButtonContent(100, 30, false, 0, 0, true, 40, 14);
    EXPECT_EQ(textOnly.textRect, (ZelRect{0, 0, 100, 30}));
    auto tooWide = LayoutButtonContent(20, 30, true, 16, 16, true, 40, 14);
    EXPECT_EQ(tooWide.iconX, -19) << "halving keeps the sign";
}

TEST(ButtonStates, HoverPressedWhileHeldInsideAndCommandOnlyOnReleaseInside)
{
    CZelBmpButton button;
    button.Create(nullptr, {0, 0, 60, 24}, 512);  // no view: the decisions still run
    Commands commands;
    button.SetCommandSink(commands.Sink());

    button.OnMouseMove(5, 5);
    EXPECT_EQ(button.CurrentFace().index, kFaceHover);
    button.OnLButtonDown(5, 5, false);
    EXPECT_EQ(button.CurrentFace().index, kFacePressed);
    button.OnMouseMove(80, 5);
    EXPECT_EQ(button.CurrentFace().index, kFaceNormal) << "held but outside";
    button.OnMouseMove(6, 6);
    EXPECT_EQ(button.CurrentFace().index, kFacePressed);
    EXPECT_TRUE(commands.got.empty()) << "nothing happens on the press";
    button.OnLButtonUp(6, 6);
    EXPECT_EQ(commands.got, (std::vector<std::pair<int, int>>{{512, kNotifyClicked}}));
    EXPECT_EQ(button.CurrentFace().index, kFaceHover);

    button.OnLButtonDown(5, 5, false);
    button.OnLButtonUp(80, 5);
    button.OnMouseLeave();
    EXPECT_EQ(commands.got.size(), 1u) << "released outside";
    EXPECT_EQ(button.CurrentFace().index, kFaceNormal);
}

TEST(ButtonStates, KeysClickOnReleaseAndFocusLossLetsGo)
{
    CZelBmpButton button;
    button.Create(nullptr, {0, 0, 60, 24}, 7);
    Commands commands;
    button.SetCommandSink(commands.Sink());
    for (Key key : {Key::Space, Key::Return, Key::KeypadEnter}) {
        EXPECT_TRUE(button.OnKeyPress(key));
        EXPECT_EQ(button.CurrentFace().index, kFacePressed);
        EXPECT_TRUE(button.OnKeyRelease(key));
    }
    EXPECT_EQ(commands.got.size(), 3u);
    EXPECT_FALSE(button.OnKeyPress(Key::Escape)) << "left for the dialog";
    EXPECT_FALSE(button.OnKeyPress(Key::Tab));

    button.OnKeyPress(Key::Space);
    button.OnFocusLost();
    EXPECT_EQ(button.CurrentFace().index, kFaceNormal);
    button.OnKeyRelease(Key::Space);
    EXPECT_EQ(commands.got.size(), 3u) << "the focus went, so no click";

    button.SetEnabled(false);
    button.OnLButtonDown(5, 5, false);
    button.OnLButtonUp(5, 5);
    button.OnKeyPress(Key::Space);
    button.OnKeyRelease(Key::Space);
    EXPECT_EQ(commands.got.size(), 3u) << "a disabled button sends nothing";
    EXPECT_EQ(button.CurrentFace().index, kFaceDisabled);
}

TEST(LabelBehaviour, ClickNotifiesAndDragFlagIgnoresCase)
{
    CLabel label;
    EXPECT_FALSE(label.DragsParent());
    label.m_strDragParent = u"true";
    EXPECT_TRUE(label.DragsParent());
    Commands commands;
    label.SetCommandSink(commands.Sink());
    label.OnLButtonDown(1, 1, false);
    label.OnLButtonDown(1, 1, true);
    EXPECT_EQ(commands.got, (std::vector<std::pair<int, int>>{{0, kNotifyClicked}, {0, kNotifyDoubleClicked}}));
}

// ---- check and radio strips -----------------------------------------------------------------------

TEST(StripStates, CellFollowsCheckedDisabledPressedAndHover)
{
    EXPECT_EQ(CZelRadioButton::CellIndex(false, false, false, false), 0);
    EXPECT_EQ(CZelRadioButton::CellIndex(false, false, false, true), 1);
    EXPECT_EQ(CZelRadioButton::CellIndex(false, false, true, true), 2);
    EXPECT_EQ(CZelRadioButton::CellIndex(true, true, true, true), 7) << "disabled wins";
    EXPECT_EQ(CZelRadioButton::CellIndex(true, false, false, false), 4);

    CZelRadioButton check(CZelRadioButton::kCheckBox);
    check.Move({0, 0, 100, 20});
    check.OnMouseMove(3, 3);
    EXPECT_EQ(check.CurrentCell(), 1);
    check.OnLButtonDown(3, 3, false);
    EXPECT_EQ(check.CurrentCell(), 2) << "pressed while held";
    check.OnLButtonUp(3, 3);
    EXPECT_EQ(check.CurrentCell(), 5) << "checked, hovered";
    check.SetEnabled(false);
    EXPECT_EQ(check.CurrentCell(), 7);
}

TEST(StripStates, ClickTogglesACheckBoxButOnlyChecksARadioButton)
{
    CZelRadioButton check(CZelRadioButton::kCheckBox);
    check.Move({0, 0, 100, 20});
    check.OnLButtonDown(1, 1, false);
    check.OnLButtonUp(1, 1);
    EXPECT_TRUE(check.IsChecked());
    check.OnKeyPress(Key::Space);
    check.OnKeyPress(Key::Space);
    EXPECT_TRUE(check.IsChecked()) << "Space acts on release";
    EXPECT_EQ(check.CurrentCell(), 6) << "checked and pressed while the key is held";
    check.OnKeyRelease(Key::Space);
    EXPECT_FALSE(check.IsChecked());
    EXPECT_FALSE(check.OnKeyPress(Key::Return)) << "a strip takes Space alone";

    CZelRadioButton option(CZelRadioButton::kRadioButton);
    option.Move({0, 0, 100, 20});
    for (int i = 0; i < 2; ++i) {
        option.OnLButtonDown(1, 1, false);
        option.OnLButtonUp(1, 1);
    }
    EXPECT_TRUE(option.IsChecked());
}

// ---- Tab order and the dialog's end ------------------------------------------------------------

TEST(TabOrder, NextEntryWrapsAndStartsAtTheFirstWhenNoneHoldsTheFocus)
{
    EXPECT_EQ(NextTabIndex(3, 0), 1u);
    EXPECT_EQ(NextTabIndex(3, 2), 0u);
    EXPECT_EQ(NextTabIndex(3, std::nullopt), 0u);
    EXPECT_EQ(NextTabIndex(1, 0), 0u);
}

// A dialog that is never shown: the ending rules hold without a window.
class EndingDlg : public CZelCommonDlg {
public:
    using CZelCommonDlg::OnCommand;
};

TEST(DialogEnding, TheFirstEndingEventDecidesAndEscapeOrTheCloseBoxCancel)
{
    EndingDlg closed;
    closed.OnCloseBox();
    closed.EndDialog(CZelCommonDlg::IDOK);
    EXPECT_TRUE(closed.IsEnded());
    EXPECT_EQ(closed.Result(), CZelCommonDlg::IDCANCEL);

    EndingDlg escaped;
    EXPECT_FALSE(escaped.OnUnusedKey(Key::Return)) << "only Escape is the dialog's";
    EXPECT_FALSE(escaped.IsEnded());
    EXPECT_TRUE(escaped.OnUnusedKey(Key::Escape));
    EXPECT_EQ(escaped.Result(), CZelCommonDlg::IDCANCEL);

    EndingDlg reported;
    reported.EndDialog(CZelCommonDlg::IDOK);
    reported.OnCloseBox();
    EXPECT_EQ(reported.Result(), CZelCommonDlg::IDOK);
    EXPECT_FALSE(reported.OnCommand(CZelCommonDlg::IDC_BUTTON_FIRST, kNotifyClicked)) << "no such button";
}

TEST(DialogEnding, TabIsLeftToTheToolkitWithoutAnExplicitOrderAndBandDragsOnlyTopLevels)
{
    EndingDlg dlg;
    EXPECT_FALSE(dlg.OnTabKey());
    EXPECT_TRUE(dlg.OnBackgroundPress(0)) << "without a skin the band is row 0";
    EXPECT_FALSE(dlg.OnBackgroundPress(1));
    dlg.SetChildStyle(true);
    EXPECT_FALSE(dlg.OnBackgroundPress(0));
}

}  // namespace
}  // namespace tessaly
