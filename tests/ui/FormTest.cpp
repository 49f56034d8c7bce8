#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "testutil/TestFiles.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Dpi.h"
#include "ui/ErrorLog.h"
#include "core/Exceptions.h"
#include "ui/Form.h"
#include "ui/MessageParams.h"
#include "ui/ScopeExit.h"
#include "ui/Timer.h"
#include "ui/TreeView.h"
#include "ui/WindowProc.h"

using namespace ui;

namespace {

// Handles messages until the condition holds or about two seconds passed.
template <typename F>
bool PumpUntil(F&& cond) {
    for (int i = 0; i < 200; ++i) {
        Application->ProcessMessages();
        if (cond()) return true;
        Sleep(10);
    }
    return false;
}

// The main window's designed layout: the tree filling it with 8-pixel
// margins and the button panel at the bottom left.
struct TFontedForm {
    TForm form;
    TFontedForm() { form.SetFormFont(L"Tahoma", 11); }  // before the controls, which take it
};
struct TDesignedForm : TFontedForm {
    TCustomTreeView tree{&form};
    TPanel panel{&form};
    TDesignedForm() {
        form.SetBounds(50, 20, 249, 397);
        tree.SetBounds(8, 8, 233, 348);
        tree.SetAnchors(akLeft | akTop | akRight | akBottom);
        panel.SetBounds(8, 363, 161, 26);
        panel.SetAnchors(akLeft | akBottom);
    }
};

TEST(Form, AnchorsKeepTheDesignedMarginsWhenTheFormResizes) {
    TDesignedForm designed;
    TForm& form = designed.form;
    TCustomTreeView& tree = designed.tree;
    TPanel& panel = designed.panel;
    TShape right(&form);
    right.SetBounds(248, 0, 1, 397);
    right.SetAnchors(akRight | akTop | akBottom);
    TShape bottom(&form);
    bottom.SetBounds(0, 396, 249, 1);
    bottom.SetAnchors(akLeft | akRight | akBottom);

    struct {
        int W, H;
    } sizes[] = {{300, 500}, {249, 397}, {120, 100}, {250, 380}};
    for (auto s : sizes) {
        SetWindowPos(form.Handle(), nullptr, 0, 0, s.W, s.H, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT tr{};
        GetWindowRect(tree.Handle(), &tr);
        MapWindowPoints(HWND_DESKTOP, form.Handle(), reinterpret_cast<POINT*>(&tr), 2);
        EXPECT_EQ(tr.left, 8);
        EXPECT_EQ(tr.top, 8);
        EXPECT_EQ(tr.right, std::max(8, s.W - 8)) << s.W;
        EXPECT_EQ(tr.bottom, std::max(8, s.H - 41)) << s.H;
        EXPECT_EQ(panel.Left(), 8);
        EXPECT_EQ(panel.Top(), s.H - 34);
        EXPECT_EQ(panel.Width(), 161);
        EXPECT_EQ(right.Left(), s.W - 1);
        EXPECT_EQ(right.Height(), s.H);
        EXPECT_EQ(bottom.Top(), s.H - 1);
        EXPECT_EQ(bottom.Width(), s.W);
    }
    EXPECT_EQ(form.Left(), 50);
    EXPECT_EQ(form.Width(), 250);
}

TEST(TreeView, RowsInViewAreTheShownRowsTopFirstAlsoWhileTheFormIsHidden) {
    TDesignedForm designed;  // never shown, as the main window after start-up
    TCustomTreeView& tree = designed.tree;
    std::vector<TTreeNode*> rows;
    for (int i = 0; i < 60; ++i) rows.push_back(tree.Items.AddChild(nullptr, L"row " + std::to_wstring(i)));
    TTreeNode* closed = tree.Items.AddChild(rows[1], L"inside a closed row");
    const auto whole = static_cast<size_t>(SendMessageW(tree.Handle(), TVM_GETVISIBLECOUNT, 0, 0));
    ASSERT_GT(whole, 5u);

    std::vector<TTreeNode*> inView = tree.RowsInView();
    ASSERT_GE(inView.size(), whole);
    ASSERT_LE(inView.size(), whole + 1);  // a row cut by the bottom edge counts too
    for (size_t i = 0; i < inView.size(); ++i) EXPECT_EQ(inView[i], rows[i]) << i;

    rows[1]->Expand(false);
    inView = tree.RowsInView();
    ASSERT_GE(inView.size(), 3u);
    EXPECT_EQ(inView[2], closed) << "an opened row's child follows it";

    // Selecting a row far down scrolls it into view: the rows follow.
    rows[50]->SetSelected(true);
    inView = tree.RowsInView();
    ASSERT_FALSE(inView.empty());
    EXPECT_NE(inView.front(), rows[0]);
    EXPECT_NE(std::find(inView.begin(), inView.end(), rows[50]), inView.end());
}

TEST(Form, AChangeOfDpiScalesLayoutAndFontAndTakesTheSuggestedRectangle) {
    TDesignedForm designed;
    TForm& form = designed.form;
    TCustomTreeView& tree = designed.tree;
    TPanel& panel = designed.panel;
    TSpeedButton button(&panel);
    button.SetBounds(27, 0, 26, 26);
    std::vector<int> told;
    form.OnDpiChanged = [&](int dpi) { told.push_back(dpi); };
    auto fontHeight = [](HFONT font) {
        LOGFONTW lf{};
        GetObjectW(font, sizeof(lf), &lf);
        return lf.lfHeight;
    };
    ASSERT_EQ(form.Dpi(), kDesignDpi);
    EXPECT_EQ(fontHeight(form.Font()), -11);

    // As the system sends it when the window moves to a 150% monitor.
    RECT suggested{1000, 100, 1000 + 374, 100 + 596};
    SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(form.Dpi(), 144);
    EXPECT_EQ(told, std::vector<int>{144});
    RECT wr{};
    GetWindowRect(form.Handle(), &wr);
    EXPECT_EQ(wr.left, 1000);
    EXPECT_EQ(wr.right - wr.left, 374);
    EXPECT_EQ(wr.bottom - wr.top, 596);
    // The margins and the button grew with it; anchors hold at the new size.
    RECT tr{};
    GetWindowRect(tree.Handle(), &tr);
    MapWindowPoints(HWND_DESKTOP, form.Handle(), reinterpret_cast<POINT*>(&tr), 2);
    EXPECT_EQ(tr.left, 12);
    EXPECT_EQ(tr.top, 12);
    EXPECT_EQ(374 - tr.right, 12);
    EXPECT_EQ(panel.Left(), 12);
    EXPECT_EQ(panel.Height(), 39);
    EXPECT_EQ(596 - panel.Top() - panel.Height(), 12);  // 8 pixels at 100%
    EXPECT_EQ(button.Left(), 41);
    EXPECT_EQ(button.Width(), 39);
    EXPECT_EQ(fontHeight(form.Font()), -17);
    EXPECT_EQ(fontHeight(panel.Font()), -17);  // the children follow the form's font

    // The same DPI again changes nothing; back to 100% is the design.
    SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(told.size(), 1u);
    form.ScaleToDpi(96);
    EXPECT_EQ(button.Width(), 26);
    EXPECT_EQ(panel.Left(), 8);
    EXPECT_EQ(fontHeight(form.Font()), -11);
}

TEST(Dpi, ImagesComeAtTheDrawnSizeNearestTheScaledOne) {
    const std::pair<int, int> cases[] = {{96, 16}, {120, 16}, {144, 24}, {168, 24}, {192, 32}, {288, 32}, {72, 16}};
    for (auto [dpi, size] : cases) EXPECT_EQ(ImageSizeForDpi(dpi), size) << dpi;
    EXPECT_EQ(ScaleForDpi(397, 144), 596);
    EXPECT_EQ(ScaleForDpi(10, 120), 13);
}

TEST(Form, ShowRunsTheShowEventOnlyWhenHiddenAndNeverRecursively) {
    TForm form;
    form.SetBounds(10, 10, 100, 100);
    std::vector<std::string> events;
    form.OnShow = [&] {
        events.push_back("show");
        form.Show();  // showing from the show event puts it on the screen, once
        events.push_back(IsWindowVisible(form.Handle()) ? "visible-in-event" : "hidden-in-event");
    };
    form.OnHide = [&] { events.push_back("hide"); };
    form.Show();
    form.Show();
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    form.Hide();
    form.Hide();
    form.Show();
    EXPECT_EQ(events, (std::vector<std::string>{"show", "visible-in-event", "hide", "show", "visible-in-event"}));
    EXPECT_TRUE(form.Visible());

    // A show event that fails leaves the form hidden, and the next show works.
    form.Hide();
    bool fail = true;
    form.OnShow = [&] {
        if (fail) throw Exception(L"no show");
    };
    EXPECT_THROW(form.Show(), Exception);
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    fail = false;
    form.Show();
    EXPECT_TRUE(form.Visible());
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
}

TEST(Form, TheActiveControlGetsTheKeyboardWhenTheFormIsActivated) {
    TForm form;
    form.SetBounds(10, 10, 200, 200);
    TCustomTreeView first(&form);
    first.SetBounds(0, 0, 100, 100);
    TCustomTreeView second(&form);
    second.SetBounds(100, 0, 100, 100);
    form.ActiveControl = &first;
    TForm other;
    other.SetBounds(300, 10, 100, 100);

    form.Show();
    SetForegroundWindow(form.Handle());
    EXPECT_TRUE(PumpUntil([&] { return GetFocus() == first.Handle(); })) << "the active control, not the form";
    // The child that had the keyboard when the form lost activation gets it back.
    SetFocus(second.Handle());
    other.Show();
    SetForegroundWindow(other.Handle());
    EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == other.Handle(); }));
    SetForegroundWindow(form.Handle());
    EXPECT_TRUE(PumpUntil([&] { return GetFocus() == second.Handle(); }));
    // Focusing the form itself passes the keyboard on.
    SetFocus(form.Handle());
    EXPECT_EQ(GetFocus(), second.Handle());
    // A hidden or vanished child is skipped for the active control.
    ShowWindow(second.Handle(), SW_HIDE);
    other.Hide();
    form.Hide();
    form.Show();
    SetForegroundWindow(form.Handle());
    EXPECT_TRUE(PumpUntil([&] { return GetFocus() == first.Handle(); }));
}

TEST(Form, CloseLetsTheCloseEventDecide) {
    TForm form;
    form.Show();
    TCloseAction seen = caFree;
    form.OnClose = [&](TCloseAction& action) {
        seen = action;
        action = caNone;
    };
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(seen, caHide);  // the default for a form that is not the main one
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    form.OnClose = nullptr;
    form.Close();
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    EXPECT_FALSE(Application->Terminated());
}

TEST(Form, ShowModalDisablesOtherWindowsUntilAResultIsSet) {
    TForm other;
    other.Show();
    TForm dialog;
    TTimer timer;
    int ticks = 0;
    bool otherWasDisabled = false;
    timer.OnTimer = [&] {
        ++ticks;
        otherWasDisabled = !IsWindowEnabled(other.Handle());
        if (ticks == 1) dialog.ModalResult = mrOk;
    };
    timer.SetInterval(20);
    timer.SetEnabled(true);
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    timer.SetEnabled(false);
    EXPECT_TRUE(otherWasDisabled);
    EXPECT_TRUE(IsWindowEnabled(other.Handle()));
    EXPECT_FALSE(IsWindowVisible(dialog.Handle()));

    // Closing a modal form cancels it.
    timer.OnTimer = [&] { dialog.Close(); };
    timer.SetEnabled(true);
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    timer.SetEnabled(false);
    EXPECT_THROW(
        {
            dialog.Show();
            dialog.ShowModal();
        },
        Exception);
}

TEST(Form, KeyPreviewSeesKeysOfControlsFirstAndCanSwallowThem) {
    TForm form;
    form.SetBounds(0, 0, 200, 200);
    TCustomTreeView tree(&form);
    tree.SetBounds(0, 0, 100, 100);
    std::vector<WORD> formKeys;
    form.OnKeyDown = [&](WORD& key, TShiftState) {
        formKeys.push_back(key);
        if (key == VK_F5) key = 0;
    };
    std::vector<WPARAM> treeKeys;
    // Watch what reaches the tree after the preview.
    SetWindowSubclass(
        tree.Handle(),
        [](HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) WINAPI -> LRESULT {
            if (m == WM_KEYDOWN) reinterpret_cast<std::vector<WPARAM>*>(data)->push_back(wp);
            return DefSubclassProc(w, m, wp, lp);
        },
        7, reinterpret_cast<DWORD_PTR>(&treeKeys));

    form.KeyPreview = false;
    PostMessageW(tree.Handle(), WM_KEYDOWN, VK_F2, 0);
    Application->ProcessMessages();
    EXPECT_TRUE(formKeys.empty());

    form.KeyPreview = true;
    PostMessageW(tree.Handle(), WM_KEYDOWN, VK_F2, 0);
    PostMessageW(tree.Handle(), WM_KEYDOWN, VK_F5, 0);
    Application->ProcessMessages();
    EXPECT_EQ(formKeys, (std::vector<WORD>{VK_F2, VK_F5}));
    EXPECT_EQ(treeKeys, (std::vector<WPARAM>{VK_F2, VK_F2}));  // F5 was swallowed
}

TEST(Form, AnErrorInAHandlerBecomesTheDefaultBoxAndGoesNoFurther) {
    testutil::TMessageBoxRecorder boxes;
    TForm form;
    form.OnKeyDown = [](WORD&, TShiftState) { throw Exception(L"Something failed"); };
    SendMessageW(form.Handle(), WM_KEYDOWN, 'A', 0);
    form.OnKeyDown = [](WORD&, TShiftState) { throw std::runtime_error("plain failure"); };
    SendMessageW(form.Handle(), WM_KEYDOWN, 'A', 0);
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[0].Text, L"Something failed");
    EXPECT_EQ(boxes.Boxes[0].Caption, L"tavrix");
    EXPECT_EQ(boxes.Boxes[1].Text, L"plain failure");
}

TEST(Timer, FiresWhileEnabledAndNeverAfterItIsGone) {
    int fired = 0;
    {
        TTimer timer;
        EXPECT_FALSE(timer.Enabled());
        timer.OnTimer = [&] { ++fired; };
        timer.SetInterval(10);
        timer.SetEnabled(true);
        EXPECT_TRUE(PumpUntil([&] { return fired >= 2; }));
        timer.SetEnabled(false);
        int seen = fired;
        Sleep(60);
        Application->ProcessMessages();
        EXPECT_EQ(fired, seen);

        timer.SetEnabled(true);
        Sleep(60);  // a WM_TIMER is now waiting in the queue
    }
    int seen = fired;
    Application->ProcessMessages();
    EXPECT_EQ(fired, seen);
}

TEST(Timer, AnErrorInTheHandlerIsReportedAndTheTimerGoesOn) {
    testutil::TMessageBoxRecorder boxes;
    TTimer timer;
    int fired = 0;
    timer.OnTimer = [&] {
        ++fired;
        throw Exception(L"tick failed");
    };
    timer.SetInterval(10);
    timer.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return fired >= 2; }));
    timer.SetEnabled(false);
    ASSERT_GE(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[0].Text, L"tick failed");
}

// Before the application object exists and after it has gone, an error of
// a window's handler is dropped where it stops: nothing is shown, and
// nothing is written to the log by the window's guard.
TEST(Timer, WithoutTheApplicationAnErrorInTheHandlerIsDroppedUnlogged) {
    testutil::TMessageBoxRecorder boxes;
    std::vector<std::wstring> logged;
    const TErrorLogFunc previousLog = ErrorLogFunc();
    TApplication* const application = Application;
    TScopeExit restore([&] {
        ErrorLogFunc() = previousLog;
        Application = application;
    });
    ErrorLogFunc() = [&](const std::wstring& source, const std::wstring& method, const std::wstring& message) {
        logged.push_back(source + L"." + method + L": " + message);
    };
    TTimer timer;
    int fired = 0;
    timer.OnTimer = [&] {
        ++fired;
        throw Exception(L"tick failed");
    };
    timer.SetInterval(10);
    timer.SetEnabled(true);
    Application = nullptr;
    for (int i = 0; i < 200 && fired < 2; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    timer.SetEnabled(false);
    Application = application;
    EXPECT_GE(fired, 2) << "the timer goes on";
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(logged, std::vector<std::wstring>{});
}

}  // namespace

TEST(MessageWindow, AnswersThroughItsHandlerKeepsErrorsOnThisSideAndHearsNothingOnceDetached) {
    testutil::TMessageBoxRecorder boxes;
    constexpr UINT kAsk = WM_APP + 1, kFail = WM_APP + 2, kPosted = WM_APP + 3;
    int posted = 0;
    TMessageWindow window(L"TTestMessageWindow", [&](UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
        if (msg == kAsk) {
            result = static_cast<LRESULT>(wParam) * 2;
            return true;
        }
        if (msg == kFail) throw Exception(L"handler failed");
        if (msg == kPosted) ++posted;
        return msg == kPosted;
    });
    ASSERT_TRUE(window);
    EXPECT_EQ(GetParent(window.Handle()), nullptr);
    EXPECT_EQ(SendMessageW(window.Handle(), kAsk, 21, 0), 42);
    // What the handler does not take gets the default answer.
    EXPECT_EQ(SendMessageW(window.Handle(), WM_GETTEXTLENGTH, 0, 0), 0);

    EXPECT_EQ(SendMessageW(window.Handle(), kFail, 0, 0), 0);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, L"handler failed");

    PostMessageW(window.Handle(), kPosted, 0, 0);
    Application->ProcessMessages();
    EXPECT_EQ(posted, 1);
    PostMessageW(window.Handle(), kPosted, 0, 0);
    window.Detach();
    Application->ProcessMessages();
    EXPECT_EQ(posted, 1) << "a message posted before Detach arrives after it";

    // A callback's error stops at the guard with the callback's own answer.
    EXPECT_EQ(Guarded(-1, []() -> int { throw std::runtime_error("callback failed"); }), -1);
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[1].Text, L"callback failed");
}

TEST(WindowProc, EveryWindowOfTheFrameworkLeadsToItsOwnObjectAndNoOtherWindowDoes) {
    TForm form;
    TPanel panel(&form);         // a class of our own
    TCustomTreeView tree(&form);  // a system class, subclassed
    TMessageWindow hidden(L"TTestTargetWindow", [](UINT, WPARAM, LPARAM, LRESULT&) { return false; });
    // A system window whose user data some other part of the process uses.
    TWindowOwner foreign(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                         GetModuleHandleW(nullptr), nullptr));
    SetWindowLongPtrW(foreign.Get(), GWLP_USERDATA, AsParam<LONG_PTR>(&panel));
    const struct {
        HWND Wnd;
        TWinControl* Control;
        bool HasTarget;
    } rows[] = {{form.Handle(), &form, true},       {panel.Handle(), &panel, true}, {tree.Handle(), &tree, true},
                {hidden.Handle(), nullptr, true},   {foreign.Get(), nullptr, false}, {nullptr, nullptr, false}};
    for (const auto& row : rows) {
        IWindowTarget* target = WindowTargetOf(row.Wnd);
        EXPECT_EQ(target != nullptr, row.HasTarget) << row.Control;
        EXPECT_EQ(target ? target->WindowControl() : nullptr, row.Control);
        EXPECT_EQ(TWinControl::FromHandle(row.Wnd), row.Control);
    }
}
