// The launcher window with the real templates, images and portal view. Under
// Wine the page never loads, so the test stands in for the browser's "ready"
// once the window is compact, while a silent server on the portal's port keeps
// the navigation from failing first.
#include <winsock2.h>

#include "BuildConfig.h"
#include "TestFolder.h"
#include "UiTestWindow.h"
#include "app/LaunchSession.h"
#include "res/resource.h"
#include "ui/MainDialog.h"
#include "ui/MainTranslucentDialog.h"
#include "workers/WindowMessages.h"

#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

const UINT kPageReady = WM_APP + 201;
const UINT kMeasure = WM_APP + 202;
const UINT kMoved = WM_APP + 203;

// Listens on the portal's port (the system completes connections from the
// backlog) and never answers, so the page neither loads nor fails.
struct SilentPortal {
    SOCKET socket = INVALID_SOCKET;
    bool listening = false;
    explicit SilentPortal(unsigned short port) {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {AF_INET, ::htons(port), {}, {}};
        address.sin_addr.s_addr = ::inet_addr("127.0.0.1");
        listening = ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                    ::listen(socket, 16) == 0;
    }
    ~SilentPortal() {
        ::closesocket(socket);
        ::WSACleanup();
    }
};

struct Layout {
    RECT frame = {}, client = {}, popup = {}, bar = {}, launch = {}, exit = {}, portal = {},
         view = {};
    bool portalVisible = false;
    COLORREF exitPixel = 0; // inside the "Exit" button
};

HWND g_popup = nullptr;
Layout g_compact, g_full, g_moved;
bool g_pageReadySent = false;

RECT ChildRect(HWND child) {
    RECT r = {};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, g_popup, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

Layout Measure() {
    Layout layout;
    HWND frame = ::GetWindow(g_popup, GW_OWNER);
    ::GetWindowRect(frame, &layout.frame);
    ::GetClientRect(frame, &layout.client);
    ::GetWindowRect(g_popup, &layout.popup);
    layout.bar = ChildRect(::GetDlgItem(g_popup, IDC_PROGRESS));
    layout.launch = ChildRect(::GetDlgItem(g_popup, IDC_LAUNCH));
    layout.exit = ChildRect(::GetDlgItem(g_popup, IDC_EXIT));
    layout.exitPixel = uitest::PixelAt(::GetDlgItem(g_popup, IDC_EXIT), 20, 16);
    // The portal's frame is the dialog's one child that is not a control.
    for (HWND child = ::GetWindow(g_popup, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        if (id != IDC_PROGRESS && id != IDC_LAUNCH && id != IDC_EXIT) {
            layout.portal = ChildRect(child);
            ::GetClientRect(::GetWindow(child, GW_CHILD), &layout.view);
            layout.portalVisible = ::IsWindowVisible(child) != FALSE;
        }
    }
    return layout;
}

BOOL CALLBACK FindMainDialog(HWND hwnd, LPARAM) {
    if (dynamic_cast<ui::MainDialog*>(win::Window::FromHandle(hwnd)))
        g_popup = hwnd;
    return TRUE;
}

LRESULT CALLBACK OnGetMessage(int code, WPARAM removed, LPARAM lParam) {
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removed == PM_REMOVE && msg->hwnd == nullptr) {
        if (msg->message == kPageReady) {
            g_popup = nullptr;
            ::EnumThreadWindows(::GetCurrentThreadId(), &FindMainDialog, 0);
            if (!g_popup || !::IsWindowVisible(g_popup)) {
                // Not yet set up: ask again on the next turn of the loop.
                ::PostThreadMessageA(::GetCurrentThreadId(), kPageReady, 0, 0);
            } else {
                uitest::Pump();
                g_compact = Measure();
                g_pageReadySent = true;
                dynamic_cast<ui::MainDialog*>(win::Window::FromHandle(g_popup))->OnPageReady();
                ::PostThreadMessageA(::GetCurrentThreadId(), kMeasure, 0, 0);
            }
        } else if (msg->message == kMeasure) {
            uitest::Pump();
            g_full = Measure();
            // The player drags the frame: the popup follows.
            ::MoveWindow(::GetWindow(g_popup, GW_OWNER), 100, 120, 635, 522, TRUE);
            ::PostThreadMessageA(::GetCurrentThreadId(), kMoved, 0, 0);
        } else if (msg->message == kMoved) {
            g_moved = Measure();
            // The update never ends against the silent portal; once it has,
            // a close asks nothing.
            ::PostMessageA(g_popup, window_messages::kEndedMessage,
                           static_cast<WPARAM>(UpdateEnd::kUpToDate), 0);
            ::PostMessageA(::GetWindow(g_popup, GW_OWNER), WM_CLOSE, 0, 0);
        }
    }
    return ::CallNextHookEx(nullptr, code, removed, lParam);
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

TEST(MainDialogTest, GrowsToTheFullLayoutWhenThePortalPageIsReady) {
    const std::string host = build_config::kPortalHost;
    const size_t colon = host.find(':');
    if (host.compare(0, colon, "127.0.0.1") != 0)
        GTEST_SKIP() << "the portal of this build is not on this machine";
    SilentPortal portal(colon == std::string::npos
                            ? 80
                            : static_cast<unsigned short>(std::atoi(host.c_str() + colon + 1)));
    ASSERT_TRUE(portal.listening);
    TestFolder folder;
    ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    {
        LaunchSession session;
        ui::MainTranslucentDialog frame(&session);
        HHOOK hook =
            ::SetWindowsHookExA(WH_GETMESSAGE, &OnGetMessage, nullptr, ::GetCurrentThreadId());
        ::PostThreadMessageA(::GetCurrentThreadId(), kPageReady, 0, 0);
        frame.DoModal();
        ::UnhookWindowsHookEx(hook);
        EXPECT_EQ(session.IsCancelled(), 1);
    }
    ::OleUninitialize();
    ASSERT_TRUE(g_pageReadySent);

    RECT area = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_EQ(Describe(g_compact.frame),
              std::to_string(area.left + (area.right - area.left - 635) / 2) + "," +
                  std::to_string(area.top + (area.bottom - area.top - 522) / 2) + " 635x277");
    // (Its compact controls are checked by the end-to-end window scenario.)
    EXPECT_EQ(Describe(g_compact.client), "0,0 635x277"); // no caption or border is left
    EXPECT_EQ(Describe(g_compact.popup), Describe(g_compact.frame));
    EXPECT_NE(g_compact.exitPixel, RGB(0, 255, 0)); // the button's image, not the key colour
    EXPECT_FALSE(g_compact.portalVisible);

    EXPECT_EQ(Describe(g_full.frame),
              std::to_string((::GetSystemMetrics(SM_CXSCREEN) - 635) / 2) + "," +
                  std::to_string((::GetSystemMetrics(SM_CYSCREEN) - 40 - 522) / 2) + " 635x522");
    EXPECT_EQ(Describe(g_full.popup), Describe(g_full.frame));
    EXPECT_EQ(Describe(g_full.bar), "9,193 617x25");
    EXPECT_EQ(Describe(g_full.portal), "10,231 615x232");
    EXPECT_EQ(Describe(g_full.view), "0,0 615x232"); // the view fills its frame
    EXPECT_TRUE(g_full.portalVisible);
    EXPECT_EQ(Describe(g_full.launch), "151,476 158x33");
    EXPECT_EQ(Describe(g_full.exit), "326,476 158x33");
    // Moved into the part the resize uncovered, the buttons still show.
    EXPECT_NE(g_full.exitPixel, RGB(0, 255, 0));
    EXPECT_EQ(Describe(g_moved.frame), "100,120 635x522");
    EXPECT_EQ(Describe(g_moved.popup), Describe(g_moved.frame));
}

} // namespace
