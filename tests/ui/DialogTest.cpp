// The skinned dialog: reading its skin, making its controls, commands, dragging, Tab order,
// placement of template controls, the modal loop and posted messages. Needs a display (Xvfb).
#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "common/ProcessCensus.h"
#include "config/ConfigSection.h"
#include "controls/CLabel.h"
#include "controls/COwnedImage.h"
#include "controls/CSkinPicture.h"
#include "controls/CZelBmpButton.h"
#include "controls/CZelRadioButton.h"
#include "skin/CZelCommonDlg.h"
#include "support/WideText.h"
#include "ui/SkinSectionDlg.h"
#include "ui/UiTestSupport.h"
#include "ui/XInput.h"

namespace tessaly {
namespace {

using test::ColorAt;
using test::FromRgb;

// A dialog that records its hooks and applies the skin of section "Test" of a given file.
class RecordingDlg : public test::SkinSectionDlg {
public:
    explicit RecordingDlg(std::u16string file, std::u16string section = u"Test")
        : SkinSectionDlg(std::move(file), std::move(section))
    {
    }

    std::vector<std::pair<int, int>> created;   // kind, control id (-1 for pictures)
    std::vector<std::pair<int, std::u16string>> commands;  // kind, item text
    std::vector<int> notifications;                        // of every command, in order
    int oks = 0, cancels = 0, minimizes = 0;
    bool refuseButtons = false;
    std::vector<std::uint32_t> messages;
    int endInInit = 0;

    bool OnCommand(int id, int notification) override
    {
        notifications.push_back(notification);
        return CZelCommonDlg::OnCommand(id, notification);
    }

protected:
    bool OnInitDialog() override
    {
        if (endInInit)
            EndDialog(endInInit);
        return SkinSectionDlg::OnInitDialog();
    }
    bool OnItemCreated(int kind, DynamicItem* item) override
    {
        auto* control = dynamic_cast<CSkinWidget*>(item->pCtrl.get());
        created.push_back({kind, control ? control->Id() : -2});
        return true;
    }
    bool OnItemCommand(int kind, DynamicItem* item) override
    {
        commands.push_back({kind, item->strName + item->strID});
        return !(refuseButtons && kind == ITEM_BUTTON);
    }
    void OnOK() override { ++oks; CZelCommonDlg::OnOK(); }
    void OnCancel() override { ++cancels; CZelCommonDlg::OnCancel(); }
    void OnMinimize() override { ++minimizes; }
    void OnMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t) override
    {
        messages.push_back(msg);
        if (msg == 0x2402)
            EndDialog(static_cast<int>(wParam));
    }
};

// Runs `work` once, the next time the default main context is idle.
void OnIdle(std::function<void()> work, int priority = G_PRIORITY_DEFAULT_IDLE)
{
    using Work = std::function<void()>;
    g_idle_add_full(
        priority,
        [](gpointer data) -> gboolean {
            (*static_cast<Work*>(data))();
            return G_SOURCE_REMOVE;
        },
        std::make_unique<Work>(std::move(work)).release(),
        [](gpointer data) { std::unique_ptr<Work> owned(static_cast<Work*>(data)); });
}

// Hands `window` an event of `type` as if the display server had sent it; a key press carries `key`.
void Deliver(GtkWidget* window, GdkEventType type, guint key = 0)
{
    GdkEvent* event = gdk_event_new(type);
    event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    if (type == GDK_KEY_PRESS) {
        event->key.keyval = key;
        gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
    }
    gtk_main_do_event(event);
    gdk_event_free(event);
}

constexpr const char* kSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<Root><CommonWindow><Test>
  <WindowInfo>
    <I ItemID="Title" Data="Skinned"/>
    <I ItemID="Icon" Data="pic.png"/>
    <I ItemID="SheetSize" Data="400, 300"/>
    <I ItemID="CaptionHeight" Data="30"/>
    <I ItemID="FontName" Data="Sans"/>
    <I ItemID="FontSize" Data="13"/>
    <I ItemID="FontWeight" Data="700"/>
    <I ItemID="CheckBtnBmp" Data="strip.png"/>
    <I ItemID="BackBmp" Data="BACK"/>
  </WindowInfo>
  <PosInfo>
    <I ItemID="ITEM1" Pos="10, 40, 380, 200"/>
    <I ItemID="LBL" Pos="5,5,50,20" Color="FF"/>
    <I ItemID="PLAIN" Pos="60,5,50,20"/>
  </PosInfo>
  <DynamicInfo>
    <LabelItem>
      <L Name="zero" Pos="0,250,80,20"/>
      <L Name="one" Pos="100,250,80,20" FontSize="14"/>
      <L Name="two" Pos="200,250,80,20" Cursor="hand.cur"/>
      <L Name="three" Pos="300,250,80,20" Cursor="absent.cur"/>
    </LabelItem>
    <ButtonItem>
      <B ID="IDOK" Pos="0,270,40,20"/>
      <B ID="IDCANCEL" Pos="40,270,40,20"/>
      <B ID="IDYES" Pos="80,270,40,20"/>
      <B ID="idno" Pos="120,270,40,20"/>
      <B ID="Minimize" Pos="160,270,40,20"/>
      <B ID="close" Pos="200,270,40,20"/>
      <B ID="" Name="none" Pos="240,270,40,20"/>
    </ButtonItem>
    <PictureItem>
      <P Pos="300,0,20,20" Out="junk.png"/>
      <P Pos="320,0,20,20" Out="pic.png"/>
    </PictureItem>
  </DynamicInfo>
</Test></CommonWindow></Root>
)";

// A skin for real input: a 300 x 200 sheet whose label reaches far past it and whose browser slot
// keeps the template's 411 x 286 (no "ITEM1"), a picture inside the caption band, and push buttons
// made in the opposite order of their places on screen. The background is half-transparent red.
constexpr const char* kInputSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<Root><CommonWindow><Input>
  <WindowInfo>
    <I ItemID="Title" Data="Input"/>
    <I ItemID="SheetSize" Data="300,200"/>
    <I ItemID="CaptionHeight" Data="30"/>
    <I ItemID="BackBmp" Data="half-red.png"/>
  </WindowInfo>
  <DynamicInfo>
    <LabelItem>
      <L Name="twice" Pos="10,40,60,20"/>
      <L Name="" Pos="150,100,60,30"/>
      <L Name="wide" Pos="250,120,400,300"/>
    </LabelItem>
    <ButtonItem>
      <B ID="" Name="first" Pos="200,70,40,20" Out="blue.png" Select="red.png"/>
      <B ID="" Name="second" Pos="100,70,40,20" Out="blue.png" Select="red.png"/>
      <B ID="" Name="third" Pos="10,70,40,20" Out="blue.png" Select="red.png"/>
    </ButtonItem>
    <PictureItem>
      <P Pos="250,5,20,20" Out="pic.png"/>
    </PictureItem>
  </DynamicInfo>
</Input></CommonWindow></Root>
)";

class SkinnedDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(EnsureUserInterface()) << "these tests need a display";
        dir.Write("junk.png", "not an image");
        dir.SolidPng("pic.png", 12, 12, 0x00FF00);
        dir.Png("strip.png", 160, 20, [](int, int) { return 0xFF123456u; });
        std::filesystem::copy_file(TESSALY_OUT_DIR "/Config/skin/hand.cur", dir.file("hand.cur"));
        // A modal test that goes wrong ends with -99 instead of hanging.
        watchdog = g_timeout_add_seconds(20, [](gpointer self) -> gboolean {
            if (auto* dlg = static_cast<SkinnedDialog*>(self)->modal)
                dlg->EndDialog(-99);
            return G_SOURCE_CONTINUE;
        }, this);
    }
    void TearDown() override { g_source_remove(watchdog); }
    int RunModal(CZelCommonDlg& dlg)
    {
        modal = &dlg;
        const int code = dlg.DoModal();
        modal = nullptr;
        return code;
    }
    std::u16string Write(const std::string& backBmp = "", const std::string& extraInfo = "")
    {
        std::string xml = kSkin;
        xml.replace(xml.find("BACK"), 4, backBmp);
        xml.replace(xml.find("</WindowInfo>"), 0, extraInfo);
        return dir.Write("VomoLoginCfg.xml", xml);
    }
    std::u16string WriteInput()
    {
        dir.Png("half-red.png", 300, 200, [](int, int) { return 0x80FF0000u; });
        dir.SolidPng("blue.png", 8, 8, 0x0000FF);
        dir.SolidPng("red.png", 8, 8, 0xFF0000);
        return dir.Write("input.xml", kInputSkin);
    }
    // The dialog of kInputSkin, on screen and holding the keyboard; it lives as long as the test.
    RecordingDlg& ShowInputDialog()
    {
        input = std::make_unique<RecordingDlg>(WriteInput(), u"Input");
        if (!input->Create() || !test::ShowForInput(test::Toplevel(*input)))
            ADD_FAILURE() << "the dialog did not come up";
        return *input;
    }
    test::ImageFolder dir;
    CZelCommonDlg* modal = nullptr;
    guint watchdog = 0;
    std::unique_ptr<RecordingDlg> input;
};

TEST_F(SkinnedDialog, ControlsGetTheirIdsAndHooksRunInOrder)
{
    RecordingDlg dlg(Write());
    ASSERT_TRUE(dlg.Create());
    ASSERT_TRUE(dlg.found);
    const std::vector<std::pair<int, int>> expected{
        {1, 256}, {1, 257}, {1, 258}, {1, 259}, {3, 0xFFFF}, {3, 0xFFFF}, {2, 512}, {2, 513}, {2, 514},
        {2, 515}, {2, 516}, {2, 517}, {2, 518}};
    EXPECT_EQ(dlg.created, expected);
    EXPECT_EQ(dlg.DialogFont(), (WindowFont{u"Sans", -13, 700, false, 0}));
    EXPECT_NE(gtk_window_get_icon(GTK_WINDOW(test::Toplevel(dlg))), nullptr);
    EXPECT_EQ(dlg.Config().ButtonItems()[1].nCtrlID, 513);
    EXPECT_EQ(dlg.Config().LabelItems()[2].nCtrlID, -1);
    auto label = [&](int i) { return dynamic_cast<CLabel*>(dlg.Config().LabelItems()[i].pCtrl.get()); };
    ASSERT_TRUE(label(0) && label(1) && label(2) && label(3));
    EXPECT_EQ(label(1)->Font().nHeight, -14);
    EXPECT_EQ(label(0)->Font().nHeight, -13) << "items without a size take the window's";
    EXPECT_EQ(label(0)->Font().nWeight, 700);
    EXPECT_EQ(label(0)->m_strText, u"zero");
    EXPECT_TRUE(label(2)->m_hCursor);
    EXPECT_FALSE(label(3)->m_hCursor) << "a missing cursor file leaves the default cursor";
    EXPECT_FALSE(label(0)->m_hCursor);
}

TEST_F(SkinnedDialog, ButtonActionsEndWithTheirCodes)
{
    struct Case {
        int index;
        int code;
        int oks, cancels, minimizes;
    };
    const Case cases[] = {{0, 1, 1, 0, 0}, {1, 2, 0, 1, 0}, {2, 6, 0, 0, 0},
                          {3, 7, 0, 0, 0}, {5, 2, 0, 1, 0}};
    for (const Case& c : cases) {
        RecordingDlg dlg(Write());
        ASSERT_TRUE(dlg.Create());
        EXPECT_TRUE(dlg.OnCommand(512 + c.index, 0));
        EXPECT_TRUE(dlg.IsEnded()) << c.index;
        EXPECT_EQ(dlg.Result(), c.code) << c.index;
        EXPECT_EQ(dlg.oks, c.oks) << c.index;
        EXPECT_EQ(dlg.cancels, c.cancels) << c.index;
        EXPECT_EQ(dlg.minimizes, c.minimizes) << c.index;
    }
}

TEST_F(SkinnedDialog, MinimizeEmptyActionLabelsAndRefusedButtons)
{
    RecordingDlg dlg(Write());
    ASSERT_TRUE(dlg.Create());
    EXPECT_TRUE(dlg.OnCommand(516, 0));
    EXPECT_EQ(dlg.minimizes, 1);
    EXPECT_TRUE(dlg.OnCommand(518, 0));
    EXPECT_TRUE(dlg.OnCommand(257, 1));
    EXPECT_FALSE(dlg.OnCommand(260, 0)) << "no fifth label";
    EXPECT_FALSE(dlg.OnCommand(100, 0));
    EXPECT_FALSE(dlg.IsEnded());
    const std::vector<std::pair<int, std::u16string>> expected{{2, u"Minimize"}, {2, u"none"}, {1, u"one"}};
    EXPECT_EQ(dlg.commands, expected);

    dlg.refuseButtons = true;
    dlg.OnCommand(512, 0);
    EXPECT_FALSE(dlg.IsEnded()) << "a hook returning false suppresses the action";
    EXPECT_EQ(dlg.oks, 0);
}

TEST_F(SkinnedDialog, ClicksOnSkinButtonsReachTheCommandHandling)
{
    RecordingDlg dlg(Write());
    ASSERT_TRUE(dlg.Create());
    auto* yes = dynamic_cast<CZelBmpButton*>(dlg.Config().ButtonItems()[2].pCtrl.get());
    ASSERT_NE(yes, nullptr);
    yes->OnLButtonDown(3, 3, false);
    yes->OnLButtonUp(3, 3);
    EXPECT_EQ(dlg.Result(), CZelCommonDlg::IDYES);
}

TEST_F(SkinnedDialog, CaptionBandDecidesDragging)
{
    RecordingDlg banded(Write());
    ASSERT_TRUE(banded.Create());
    EXPECT_TRUE(banded.ShouldDragAt(0));
    EXPECT_TRUE(banded.ShouldDragAt(30));
    EXPECT_FALSE(banded.ShouldDragAt(31));
    banded.SetChildStyle(true);
    EXPECT_FALSE(banded.ShouldDragAt(0));

    std::string xml = kSkin;
    xml.erase(xml.find("<I ItemID=\"CaptionHeight\""), std::string("<I ItemID=\"CaptionHeight\" Data=\"30\"/>").size());
    RecordingDlg plain(dir.Write("nocaption.xml", xml));
    ASSERT_TRUE(plain.Create());
    EXPECT_TRUE(plain.ShouldDragAt(0));
    EXPECT_FALSE(plain.ShouldDragAt(1));
}

TEST_F(SkinnedDialog, TabFollowsTheExplicitOrder)
{
    RecordingDlg dlg(Write());
    ASSERT_TRUE(dlg.Create());
    gtk_widget_show(test::Toplevel(dlg));
    auto widget = [&](int i) { return test::Widget(*dynamic_cast<CSkinWidget*>(dlg.Config().ButtonItems()[i].pCtrl.get())); };
    GtkWidget *a = widget(0), *b = widget(1), *c = widget(2), *other = widget(3);
    dlg.SetTabOrder({toolkit::TabStopOf(a), {}, toolkit::TabStopOf(b), toolkit::TabStopOf(c)});
    auto focus = [&] { return gtk_window_get_focus(GTK_WINDOW(test::Toplevel(dlg))); };
    gtk_widget_grab_focus(a);
    dlg.MoveToNextTabItem();
    EXPECT_EQ(focus(), b);
    gtk_widget_grab_focus(c);
    dlg.MoveToNextTabItem();
    EXPECT_EQ(focus(), a);
    gtk_widget_grab_focus(other);
    dlg.MoveToNextTabItem();
    EXPECT_EQ(focus(), a);
}

TEST_F(SkinnedDialog, PlaceControlSkinsByClassAndNeedsAnEntry)
{
    RecordingDlg dlg(Write());
    ASSERT_TRUE(dlg.Create());

    CLabel coloured, plain, unplaced;
    coloured.m_crText = 0x00FF00;
    plain.m_crText = 0x00FF00;
    EXPECT_TRUE(dlg.PlaceControl(coloured, u"LBL"));
    EXPECT_EQ(coloured.Rect(), (ZelRect{5, 5, 55, 25}));
    EXPECT_EQ(coloured.m_crText, 0xFFu);
    EXPECT_EQ(coloured.Font().nHeight, -13);
    EXPECT_EQ(coloured.Font().nWeight, 700);
    ASSERT_TRUE(coloured.m_bmpBack);
    EXPECT_TRUE(dlg.PlaceControl(plain, u"PLAIN"));
    EXPECT_EQ(plain.m_crText, 0x00FF00u) << "no colour keeps the label's";
    EXPECT_EQ(plain.Font().nHeight, -13) << "the window font still applies";
    EXPECT_FALSE(dlg.PlaceControl(unplaced, u"NOPE"));
    EXPECT_EQ(unplaced.Rect(), ZelRect{});
    EXPECT_EQ(unplaced.Font().nHeight, 12);

    CZelRadioButton check(CZelRadioButton::kCheckBox), neither(0);
    EXPECT_TRUE(dlg.PlaceControl(check, u"LBL"));
    EXPECT_EQ(check.m_nImageWidth, 20);
    EXPECT_EQ(check.m_crText, 0xFFu);
    EXPECT_TRUE(dlg.PlaceControl(neither, u"PLAIN"));
    EXPECT_FALSE(neither.m_imageList);
    EXPECT_FALSE(neither.m_bmpBack);
    EXPECT_EQ(neither.m_crText, kNoColor);

    GtkWidget* slot = test::Slot(dlg, 1000);
    int w = 0, h = 0, x = -1, y = -1;
    gtk_widget_get_size_request(slot, &w, &h);
    gtk_container_child_get(GTK_CONTAINER(test::Client(dlg)), slot, "x", &x, "y", &y, nullptr);
    EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({10, 40, 380, 200}));
    EXPECT_FALSE(dlg.PlaceTemplateControl(1000, u"NOPE"));
}

TEST_F(SkinnedDialog, MissingBackgroundGivesButtonFaceOfSheetSize)
{
    RecordingDlg dlg(Write("nothing-here.png"));
    ASSERT_TRUE(dlg.Create());
    cairo_surface_t* back = toolkit::SurfaceOf(dlg.Background());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(cairo_image_surface_get_width(back), 400);
    EXPECT_EQ(cairo_image_surface_get_height(back), 300);
    EXPECT_EQ(ColorAt(back, 399, 299), kButtonFace);
    EXPECT_EQ(std::string(gtk_window_get_title(GTK_WINDOW(test::Toplevel(dlg)))), "Skinned");
}

TEST_F(SkinnedDialog, ShownWindowTakesTheSheetSizeEvenBelowTheTemplateSize)
{
    RecordingDlg dlg(Write("nothing-here.png"));
    ASSERT_TRUE(dlg.Create());
    dlg.PlaceTemplateControl(1000, u"ITEM1");  // the browser slot fits the sheet
    gtk_widget_show(test::Toplevel(dlg));
    // On Wayland the size settles only after the compositor's configure round trip.
    int w = 0, h = 0;
    test::PumpUntil([&] {
        gtk_window_get_size(GTK_WINDOW(test::Toplevel(dlg)), &w, &h);
        return w == 400 && h == 300;
    });
    EXPECT_EQ(std::vector<int>({w, h}), std::vector<int>({400, 300})) << "the template is 422 x 297";
}

TEST_F(SkinnedDialog, BackgroundImageKeepsItsOwnSizeAndIsPainted)
{
    dir.SolidPng("back.png", 200, 100, 0x3366CC);
    RecordingDlg dlg(Write("back.png"));
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(cairo_image_surface_get_width(toolkit::SurfaceOf(dlg.Background())), 200);
    EXPECT_EQ(dlg.ClientWidth(), 400);
    SurfacePtr out = MakeSolidSurface(400, 300, 0);
    CairoPtr cr(cairo_create(out.get()));
    test::RenderClient(dlg, cr.get());
    EXPECT_EQ(ColorAt(out.get(), 5, 20), FromRgb(0x3366CC));
    EXPECT_EQ(ColorAt(out.get(), 390, 20), kButtonFace) << "outside the image";
    EXPECT_EQ(ColorAt(out.get(), 325, 5), FromRgb(0x00FF00)) << "the decodable picture";
}

TEST_F(SkinnedDialog, UndecodablePictureStillGetsItsControlButDrawsNothing)
{
    RecordingDlg dlg(Write());
    ASSERT_TRUE(dlg.Create());
    DynamicItem& junk = dlg.Config().PictureItems()[0];
    auto* picture = dynamic_cast<CSkinPicture*>(junk.pCtrl.get());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(junk.hGdiObj, nullptr);
    SurfacePtr out = MakeSolidSurface(20, 20, 0xABCDEF);
    CairoPtr cr(cairo_create(out.get()));
    test::Paint(*picture, cr.get(), 20, 20);
    EXPECT_EQ(test::CountPixels(out.get(), [](const test::Pixel& p) { return p.Color() != 0xABCDEFu; }), 0);
    EXPECT_NE(dlg.Config().PictureItems()[1].hGdiObj, nullptr);
}

TEST_F(SkinnedDialog, WithoutSectionTheTemplateLookStays)
{
    RecordingDlg dlg(dir.wide("absent.xml"));
    ASSERT_TRUE(dlg.Create());
    EXPECT_FALSE(dlg.found);
    EXPECT_EQ(std::string(gtk_window_get_title(GTK_WINDOW(test::Toplevel(dlg)))), "Dialog");
    EXPECT_EQ(dlg.ClientWidth(), 422);
    EXPECT_EQ(dlg.ClientHeight(), 297);
    int w = 0, h = 0;
    gtk_widget_get_size_request(test::Slot(dlg, 1000), &w, &h);
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(411, 286));
    EXPECT_EQ(test::Slot(dlg, 999), nullptr);
    EXPECT_EQ(gtk_window_get_icon(GTK_WINDOW(test::Toplevel(dlg))), nullptr);
    EXPECT_TRUE(gtk_widget_get_realized(test::Toplevel(dlg)));
    // An X11 id only where the window is an X11 one.
    EXPECT_EQ(dlg.NativeWindowId() != 0, std::getenv("DISPLAY") != nullptr);
}

TEST_F(SkinnedDialog, ModalLoopEndsByPostedMessageFromAnotherThread)
{
    RecordingDlg dlg(Write());
    std::thread poster;
    OnIdle([&] { poster = std::thread([p = dlg.GetPoster()] { p.PostMessage(0x2402, 7, 0); }); }, G_PRIORITY_LOW);
    EXPECT_EQ(RunModal(dlg), 7);
    poster.join();
    EXPECT_EQ(dlg.messages, std::vector<std::uint32_t>{0x2402});
    EXPECT_EQ(dlg.Window(), nullptr);
}

TEST_F(SkinnedDialog, CloseBoxAndEscapeCancelAndEndDuringInitReturnsAtOnce)
{
    RecordingDlg closing(Write());
    OnIdle([&] { gtk_window_close(GTK_WINDOW(test::Toplevel(closing))); });
    EXPECT_EQ(RunModal(closing), CZelCommonDlg::IDCANCEL);
    EXPECT_EQ(closing.cancels, 1);

    RecordingDlg early(Write());
    early.endInInit = CZelCommonDlg::IDNO;
    EXPECT_EQ(RunModal(early), CZelCommonDlg::IDNO);
    early.endInInit = 0;
    OnIdle([&] { Deliver(test::Toplevel(early), GDK_KEY_PRESS, GDK_KEY_Escape); });
    EXPECT_EQ(RunModal(early), CZelCommonDlg::IDCANCEL) << "a dialog runs again; Escape cancels";
}

TEST_F(SkinnedDialog, MessagePostedToADialogThatIsGoneIsDropped)
{
    CDialogPoster poster;
    {
        RecordingDlg dlg(Write());
        poster = dlg.GetPoster();
        dlg.PostMessage(0x2401, 0, 0);
    }
    EXPECT_TRUE(poster.Expired());
    poster.PostMessage(0x2401, 0, 0);
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    SUCCEED() << "no call reached the destroyed dialog";
}


// ---- the real window under real input ------------------------------------------------------------

template <typename Control>
Control* ItemControl(std::span<DynamicItem> items, std::size_t i)
{
    return dynamic_cast<Control*>(items[i].pCtrl.get());
}

TEST_F(SkinnedDialog, TheWindowIsExactlyTheSheetWhateverItsControlsDo)
{
    RecordingDlg& dlg = ShowInputDialog();
    int w = 0, h = 0;
    gtk_window_get_size(GTK_WINDOW(test::Toplevel(dlg)), &w, &h);
    EXPECT_EQ(std::vector<int>({w, h}), std::vector<int>({300, 200}))
        << "a label reaching to 650,420 and the 411 x 286 browser slot are clipped";
    if (!test::HasX11Input())
        return;  // elsewhere the toplevel surface also holds the client-side frame and its shadow
    GdkWindow* window = gtk_widget_get_window(test::Toplevel(dlg));
    EXPECT_EQ(std::vector<int>({gdk_window_get_width(window), gdk_window_get_height(window)}),
              std::vector<int>({300, 200}));
}

TEST_F(SkinnedDialog, APressOnAPictureInTheCaptionBandMovesTheWindow)
{
    TESSALY_REQUIRE_X11_INPUT();
    RecordingDlg& dlg = ShowInputDialog();
    const GdkPoint start = test::Origin(test::Toplevel(dlg));
    test::PointerTo(start.x + 256, start.y + 10);  // the 12 x 12 picture at 250,5
    test::PrimaryButton(true);
    for (int step = 1; step <= 4; ++step)
        test::PointerTo(start.x + 256 + 10 * step, start.y + 10 + 8 * step);
    test::PrimaryButton(false);
    EXPECT_TRUE(test::PumpUntil([&] {
        const GdkPoint now = test::Origin(test::Toplevel(dlg));
        return now.x == start.x + 40 && now.y == start.y + 32;
    }));
    EXPECT_TRUE(dlg.commands.empty());
}

TEST_F(SkinnedDialog, SpaceAndReturnShowThePressedFaceWhileHeldAndSendOneCommandOnRelease)
{
    TESSALY_REQUIRE_X11_INPUT();
    RecordingDlg& dlg = ShowInputDialog();
    auto* first = ItemControl<CZelBmpButton>(dlg.Config().ButtonItems(), 0);
    gtk_widget_grab_focus(test::Widget(*first));
    auto face = [&] { return test::ScreenPixel(test::Toplevel(dlg), 220, 80); };
    ASSERT_TRUE(test::PumpUntil([&] { return face() == 0x0000FFu; }));
    for (KeySym key : {XK_space, XK_Return}) {
        dlg.commands.clear();
        test::Key(key, true);
        EXPECT_TRUE(test::PumpUntil([&] { return face() == 0xFF0000u; })) << "pressed while held " << key;
        test::Key(key, true);  // what a held key repeats
        EXPECT_TRUE(dlg.commands.empty()) << key;
        test::Key(key, false);
        EXPECT_TRUE(test::PumpUntil([&] { return face() == 0x0000FFu; })) << key;
        EXPECT_EQ(dlg.commands, (std::vector<std::pair<int, std::u16string>>{{2, u"first"}})) << key;
    }
}

TEST_F(SkinnedDialog, TabWithoutAnExplicitListFollowsTheDialogsOrder)
{
    TESSALY_REQUIRE_X11_INPUT();
    RecordingDlg& dlg = ShowInputDialog();
    GtkWidget* page = gtk_entry_new();  // stands in for the browser in its template slot
    gtk_box_pack_start(GTK_BOX(test::Slot(dlg, 1000)), page, FALSE, FALSE, 0);
    gtk_widget_show(page);
    auto button = [&](std::size_t i) { return test::Widget(*ItemControl<CSkinWidget>(dlg.Config().ButtonItems(), i)); };
    auto focus = [&] { return gtk_window_get_focus(GTK_WINDOW(test::Toplevel(dlg))); };
    gtk_widget_grab_focus(page);
    // On screen the buttons run third, second, first from the left; they were made first to third.
    for (GtkWidget* expected : {button(0), button(1), button(2), page}) {
        test::Tap(XK_Tab);
        EXPECT_EQ(focus(), expected);
    }
    for (GtkWidget* expected : {button(2), button(1), button(0), page}) {
        test::Tap(XK_Tab, true);
        EXPECT_EQ(focus(), expected) << "Shift+Tab goes backwards";
    }
}

TEST_F(SkinnedDialog, ALabelDoubleClickSendsOneClickThenOneDoubleClick)
{
    TESSALY_REQUIRE_X11_INPUT();
    RecordingDlg& dlg = ShowInputDialog();
    const GdkPoint at = test::Origin(test::Toplevel(dlg));
    test::PointerTo(at.x + 20, at.y + 50);  // the label "twice"
    for (int i = 0; i < 2; ++i) {
        test::PrimaryButton(true);
        test::PrimaryButton(false);
    }
    EXPECT_TRUE(test::PumpUntil([&] { return dlg.notifications.size() >= 2; }));
    test::Pump();
    EXPECT_EQ(dlg.notifications, (std::vector<int>{kNotifyClicked, kNotifyDoubleClicked}));
}

TEST_F(SkinnedDialog, LabelsAreInvisibleAgainstATransparentBackground)
{
    TESSALY_REQUIRE_X11_INPUT();
    RecordingDlg& dlg = ShowInputDialog();
    // The empty label at 150,100 and the background just left of it look the same on screen.
    auto inside = [&] { return test::ScreenPixel(test::Toplevel(dlg), 160, 115); };
    auto outside = [&] { return test::ScreenPixel(test::Toplevel(dlg), 140, 115); };
    EXPECT_TRUE(test::PumpUntil([&] { return inside() == outside() && inside() != 0; }))
        << std::hex << inside() << " against " << outside();
}

TEST_F(SkinnedDialog, TheFirstEndingEventDecidesTheResult)
{
    RecordingDlg dlg(Write());
    // The close box and a report that ends with OK, handled in one pass of the loop.
    OnIdle([&] { Deliver(test::Toplevel(dlg), GDK_DELETE); });
    OnIdle([&] { dlg.EndDialog(CZelCommonDlg::IDOK); });
    EXPECT_EQ(RunModal(dlg), CZelCommonDlg::IDCANCEL);
}

TEST_F(SkinnedDialog, SkinControlsAreDescribedToAssistiveTechnology)
{
    RecordingDlg dlg(WriteInput(), u"Input");
    ASSERT_TRUE(dlg.Create());
    auto role = [](GtkWidget* w) { return atk_object_get_role(gtk_widget_get_accessible(w)); };
    auto name = [](GtkWidget* w) {
        const char* text = atk_object_get_name(gtk_widget_get_accessible(w));
        return std::string(text ? text : "(none)");
    };
    GtkWidget* button = test::Widget(*ItemControl<CSkinWidget>(dlg.Config().ButtonItems(), 1));
    EXPECT_EQ(role(button), ATK_ROLE_PUSH_BUTTON);
    EXPECT_EQ(name(button), "second");
    auto* label = ItemControl<CLabel>(dlg.Config().LabelItems(), 0);
    EXPECT_EQ(role(test::Widget(*label)), ATK_ROLE_LABEL);
    EXPECT_EQ(name(test::Widget(*label)), "twice");
    auto* untitled = ItemControl<CLabel>(dlg.Config().LabelItems(), 1);
    untitled->SetToolTip(u"Status");
    EXPECT_EQ(name(test::Widget(*untitled)), "Status") << "the tooltip names a label without text";
    EXPECT_EQ(role(test::Widget(*ItemControl<CSkinWidget>(dlg.Config().PictureItems(), 0))), ATK_ROLE_REDUNDANT_OBJECT)
        << "pictures are passed over";
    EXPECT_EQ(name(test::Toplevel(dlg)), "Input");

    CZelRadioButton check(CZelRadioButton::kCheckBox), option(CZelRadioButton::kRadioButton);
    check.Create(dlg.ClientParent(), {0, 180, 80, 200}, 600);
    option.Create(dlg.ClientParent(), {100, 180, 180, 200}, 601);
    check.m_strText = u"Remember me";
    check.SetChecked(true);
    auto states = [](CSkinWidget& control) {
        AtkStateSet* set = atk_object_ref_state_set(gtk_widget_get_accessible(test::Widget(control)));
        const std::pair<bool, bool> got{atk_state_set_contains_state(set, ATK_STATE_CHECKABLE) != FALSE,
                                        atk_state_set_contains_state(set, ATK_STATE_CHECKED) != FALSE};
        g_object_unref(set);
        return got;
    };
    EXPECT_EQ(role(test::Widget(check)), ATK_ROLE_CHECK_BOX);
    EXPECT_EQ(name(test::Widget(check)), "Remember me");
    EXPECT_EQ(states(check), std::make_pair(true, true));
    EXPECT_EQ(role(test::Widget(option)), ATK_ROLE_RADIO_BUTTON);
    EXPECT_EQ(states(option), std::make_pair(true, false));
    check.SetChecked(false);
    EXPECT_EQ(states(check), std::make_pair(true, false));
}


// ---- under a window manager ------------------------------------------------------------------------

// With TESSALY_TEST_WINDOW_MANAGER naming one (openbox), the tests run on a display of their own with
// that window manager; the suite's shared virtual display has none.
const char* WindowManager()
{
    const char* name = std::getenv("TESSALY_TEST_WINDOW_MANAGER");
    return name && *name ? name : nullptr;
}

// The 32-bit items of a window's property, whatever their type; none when it is not set.
std::vector<unsigned long> Property(Display* display, unsigned long window, const char* property)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display, window, XInternAtom(display, property, False), 0, 64, False, AnyPropertyType,
                           &type, &format, &count, &after, &data) == Success && data && format == 32)
        items.assign(reinterpret_cast<unsigned long*>(data), reinterpret_cast<unsigned long*>(data) + count);
    if (data)
        XFree(data);
    return items;
}

class WindowManagerDisplay : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!WindowManager())
            return;
        int pipe[2];
        ASSERT_EQ(::pipe(pipe), 0);
        m_server = fork();
        if (m_server == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);  // goes with the test, however it ends
            ::close(pipe[0]);
            const std::string fd = std::to_string(pipe[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                   "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        ::close(pipe[1]);
        std::string number;
        char c = 0;
        while (::read(pipe[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(pipe[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        setenv("DISPLAY", (":" + number).c_str(), 1);
        m_manager = fork();
        if (m_manager == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            execlp(WindowManager(), WindowManager(), "--sm-disable", static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_TRUE(WaitForManager()) << WindowManager() << " did not take the display";
    }
    void TearDown() override
    {
        for (pid_t child : {m_manager, m_server})
            if (child > 0) {
                kill(child, SIGTERM);
                waitpid(child, nullptr, 0);
            }
    }

private:
    // A window manager announces itself on the root window.
    static bool WaitForManager()
    {
        Display* display = XOpenDisplay(nullptr);
        if (!display)
            return false;
        const bool found = test::WaitUntil(
            [&] { return !Property(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK").empty(); },
            std::chrono::seconds(20));
        XCloseDisplay(display);
        return found;
    }
    pid_t m_server = -1;
    pid_t m_manager = -1;
};
[[maybe_unused]] ::testing::Environment* const kWindowManagerDisplay =
    ::testing::AddGlobalTestEnvironment(new WindowManagerDisplay);

std::vector<std::string> AtomList(unsigned long window, const char* property)
{
    std::vector<std::string> names;
    for (unsigned long atom : Property(test::XDisplay(), window, property)) {
        char* name = XGetAtomName(test::XDisplay(), atom);
        names.emplace_back(name ? name : "");
        XFree(name);
    }
    return names;
}

bool Has(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST_F(SkinnedDialog, UnderAWindowManagerTheShippedSkinIsAFixedSizeDialog)
{
    TESSALY_REQUIRE_X11_INPUT();
    if (!WindowManager())
        GTEST_SKIP() << "set TESSALY_TEST_WINDOW_MANAGER=openbox (ctest runs it as ui_dialog_wm_tests)";
    RecordingDlg dlg(FromUtf8(TESSALY_OUT_DIR "/Config/VomoLoginCfg.xml"), u"PreLoginFromInternetInfo");
    ASSERT_TRUE(dlg.Create());
    ASSERT_TRUE(dlg.found);
    ASSERT_TRUE(test::ShowForInput(test::Toplevel(dlg)));
    const unsigned long window = dlg.NativeWindowId();
    ASSERT_TRUE(test::PumpUntil([&] { return !AtomList(window, "_NET_WM_ALLOWED_ACTIONS").empty(); }))
        << "the window manager took the window";
    EXPECT_EQ(AtomList(window, "_NET_WM_WINDOW_TYPE"), std::vector<std::string>{"_NET_WM_WINDOW_TYPE_DIALOG"});
    const auto actions = AtomList(window, "_NET_WM_ALLOWED_ACTIONS");
    EXPECT_TRUE(Has(actions, "_NET_WM_ACTION_MOVE") && Has(actions, "_NET_WM_ACTION_CLOSE"));
    for (const char* refused : {"_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT"})
        EXPECT_FALSE(Has(actions, refused)) << refused;
    GdkWindow* gdkWindow = gtk_widget_get_window(test::Toplevel(dlg));
    EXPECT_EQ(std::vector<int>({gdk_window_get_width(gdkWindow), gdk_window_get_height(gdkWindow)}),
              std::vector<int>({640, 480})) << "the client area is the sheet; the frame is the manager's";
    GdkRectangle frame{};
    gdk_window_get_frame_extents(gdkWindow, &frame);
    EXPECT_GT(frame.height, 480) << "the manager draws the title bar";
}

}  // namespace
}  // namespace tessaly
