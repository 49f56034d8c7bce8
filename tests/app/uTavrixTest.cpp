#include <gtest/gtest.h>

#include <memory>

#include "app/uTavrix.h"
#include "testutil/TestFiles.h"
#include "ui/Application.h"
#include "util/uUtils.h"

using namespace testutil;

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileW(OptionsIniFileName().c_str());
        RemoveTree(GetLogFolder(false));
    }
    void TearDown() override {
        Form.reset();
        DeleteFileW(OptionsIniFileName().c_str());
        RemoveTree(GetLogFolder(false));
    }
    void Create(const std::string& ini = "") {
        if (!ini.empty()) WriteFileBytes(OptionsIniFileName(), "[OPTIONS]\r\n" + ini);
        Form = std::make_unique<TfrmMain>();
        Form->DoCreate();
    }
    std::wstring Key(const wchar_t* key) {
        wchar_t buf[512] = {};
        GetPrivateProfileStringW(L"OPTIONS", key, L"<absent>", buf, 512, OptionsIniFileName().c_str());
        return buf;
    }
    static RECT ChildRect(HWND child) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    std::unique_ptr<TfrmMain> Form;
};

TEST_F(MainWindow, LooksAsDesigned) {
    Create();
    HWND wnd = Form->Handle();
    RECT wr{}, cr{};
    GetWindowRect(wnd, &wr);
    GetClientRect(wnd, &cr);
    EXPECT_EQ(wr.right - wr.left, 249);
    EXPECT_EQ(wr.bottom - wr.top, 397);
    EXPECT_EQ(cr.right, 249);  // no border, no caption bar
    EXPECT_EQ(cr.bottom, 397);
    LONG style = GetWindowLongW(wnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER), 0);
    EXPECT_EQ(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(GetWindow(wnd, GW_OWNER), ui::Application->Handle());
    EXPECT_EQ(Form->Caption(), L"tavrix");
    EXPECT_EQ(Form->Color, RGB(221, 221, 221));
    EXPECT_TRUE(Form->KeyPreview);

    LOGFONTW lf{};
    GetObjectW(Form->Font(), sizeof(lf), &lf);
    EXPECT_STREQ(lf.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(lf.lfHeight, -11);

    RECT tree = ChildRect(Form->ShellTreeView1->Handle());
    EXPECT_EQ(tree.left, 8);
    EXPECT_EQ(tree.top, 8);
    EXPECT_EQ(tree.right - tree.left, 233);
    EXPECT_EQ(tree.bottom - tree.top, 348);
    EXPECT_EQ(GetWindowLongW(Form->ShellTreeView1->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_EQ(GetWindowLongW(Form->ShellTreeView1->Handle(), GWL_STYLE) & WS_BORDER, 0);
    EXPECT_FALSE(Form->ShellTreeView1->ShowRoot());
    EXPECT_EQ(Form->ShellTreeView1->Indent(), 19);
    EXPECT_TRUE(Form->ShellTreeView1->RightClickSelect);

    RECT panel = ChildRect(Form->Panel1->Handle());
    EXPECT_EQ(panel.left, 8);
    EXPECT_EQ(panel.top, 363);
    EXPECT_EQ(panel.right - panel.left, 161);
    EXPECT_EQ(panel.bottom - panel.top, 26);

    struct {
        ui::TSpeedButton* Button;
        int Left;
        const wchar_t* Hint;
    } buttons[] = {
        {Form->sbtnMenu, 0, L"Menu (F2)"},       {Form->sbtnRefresh, 27, L"Refresh (F5)"},
        {Form->sbtnOptions, 54, L"Options"},     {Form->sbtnSaveAppRect, 81, L"Save View"},
        {Form->sbtnExit, 108, L"Exit"},          {Form->sbtnMinMax, 135, L"Hide (Esc)"},
    };
    for (const auto& b : buttons) {
        RECT r = ChildRect(b.Button->Handle());
        EXPECT_EQ(r.left, b.Left) << b.Hint;
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.right - r.left, 26);
        EXPECT_EQ(r.bottom - r.top, 26);
        EXPECT_EQ(b.Button->Hint(), b.Hint);
        EXPECT_EQ(GetParent(b.Button->Handle()), Form->Panel1->Handle());
    }

    // The frame lines sit on the four edges.
    EXPECT_EQ(Form->Shape1->BoundsRect().left, 0);
    EXPECT_EQ(Form->Shape2->BoundsRect().left, 248);
    EXPECT_EQ(Form->Shape3->BoundsRect().bottom, 1);
    EXPECT_EQ(Form->Shape4->BoundsRect().top, 396);

    EXPECT_EQ(Form->ImageList->Count(), 4);
    EXPECT_EQ(Form->ImageList->Width(), 16);
    EXPECT_EQ(Form->tmrBlockScrSvr->Interval(), 10000u);
    EXPECT_EQ(Form->tmrDelDir->Interval(), 1000u);
    EXPECT_FALSE(Form->tmrDelDir->Enabled());
}

TEST_F(MainWindow, MenuItemsComeInTheStatedOrderWithTheirTags) {
    Create();
    struct TExpect {
        const wchar_t* Name;
        const wchar_t* Caption;
        int Tag;
        bool Image;
    };
    auto check = [](const ui::TMenuItem& parent, std::initializer_list<TExpect> want) {
        ASSERT_EQ(parent.Count(), static_cast<int>(want.size()));
        int i = 0;
        for (const TExpect& e : want) {
            const ui::TMenuItem& item = *parent.Items()[static_cast<size_t>(i++)];
            EXPECT_EQ(item.Name, e.Name);
            EXPECT_EQ(item.Caption, e.Caption);
            EXPECT_EQ(item.Tag, e.Tag) << e.Name;
            EXPECT_EQ(item.ImageIndex >= 0, e.Image) << e.Name;
        }
    };
    check(Form->PopupMenu->Items, {{L"pmnuClipboardAs", L"Clipboard", 0, true},
                                   {L"pmnuScreenSaver", L"Screen Saver", 0, true},
                                   {L"pmnuAbout", L"About", 0, true},
                                   {L"pmnuSep3", L"-", 0, false},
                                   {L"pmnuExit", L"Exit", 0, true}});
    check(*Form->pmnuClipboardAs, {{L"pmnuViewAsPlainText", L"Plain Text", 0, true},
                                   {L"pmnuViewAsCommaString", L"Comma String", 1, true},
                                   {L"pmnuViewAsXML", L"XML ", 2, true},
                                   {L"pmnuSep2", L"-", 0, false},
                                   {L"pmnuExecSelText", L"Execute", 3, true}});
}

TEST_F(MainWindow, CreationReadsTheOptionsAndSwitchesTheScreenSaverTimer) {
    Create("BlockScrSvr=1\r\nLeft=77\r\n");
    ASSERT_NE(Options, nullptr);
    EXPECT_EQ(Options->Settings.Left, 77);
    EXPECT_TRUE(Form->FFirstShowPending);
    EXPECT_TRUE(Form->tmrBlockScrSvr->Enabled());
    Options->Settings.BlockScrSvr = false;
    Form->ApplyOptions();
    EXPECT_FALSE(Form->tmrBlockScrSvr->Enabled());
}

TEST_F(MainWindow, ClosingWritesTheWindowStateAndReleasesTheMutex) {
    AppMutex = CreateMutexW(nullptr, TRUE, AppMutexName);
    ASSERT_NE(AppMutex, nullptr);
    Create("Left=77\r\nExpanded=C:\\x*\r\n");
    Form->Show();
    EXPECT_EQ(Key(L"Left"), L"77");
    EXPECT_EQ(Key(L"Top"), L"<absent>");
    Form->pmnuExitClick();
    EXPECT_FALSE(IsWindowVisible(Form->Handle()));
    EXPECT_EQ(Options, nullptr);
    EXPECT_EQ(AppMutex, nullptr);
    for (const wchar_t* key : {L"Left", L"Top", L"Right", L"Bottom", L"SelectedNode", L"Expanded"})
        EXPECT_NE(Key(key), L"<absent>") << key;
    EXPECT_EQ(Key(L"Expanded"), L"C:\\x*");
    EXPECT_EQ(Key(L"ShowTrayIcon"), L"<absent>");
    HANDLE again = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, AppMutexName);
    EXPECT_EQ(again, nullptr);
    if (again) CloseHandle(again);
}

}  // namespace
