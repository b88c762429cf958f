// The activation hook: a window of the host becoming active asks the
// running editor (the stand-in, class "Tolva_WNDCLASS") to save all, only
// while Tolva_save_all is set and only while the add-in is connected.
#include "addin_fixture.h"

using namespace addin_test;

namespace {

size_t save_requests()
{
    size_t n = 0;
    for (const std::string &l : tolva_lines())
        n += l == "Tolva_edit: wParam=1 lParam=0";
    return n;
}

// Takes WM_ACTIVATE itself: the default handling would set the focus and
// so activate the window a second time.
LRESULT CALLBACK host_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    return msg == WM_ACTIVATE ? 0 : DefWindowProcA(w, msg, wp, lp);
}

// Two windows of the host; activating one after the other delivers
// WM_ACTIVATE to the window procedure on this thread.
struct host_windows {
    HWND hw_a = nullptr, hw_b = nullptr;
    host_windows()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = host_proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "tv_addin_host_window";
        RegisterClassA(&wc);
        for (HWND *w : {&hw_a, &hw_b})
            *w = CreateWindowA(wc.lpszClassName, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~host_windows()
    {
        DestroyWindow(hw_a);
        DestroyWindow(hw_b);
    }
    void activate(HWND w)
    {
        SetActiveWindow(w == hw_a ? hw_b : hw_a);
        SetActiveWindow(w);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&m);
    }
};

} // namespace

TEST_F(AddinHost, ActivationSendsSaveAllOnlyWhileAsked)
{
    host_windows wins;
    ASSERT_TRUE(wins.hw_a && wins.hw_b);
    write_settings({.st_tolva_save_all = 1});
    ASSERT_EQ(connect(1), S_OK);

    size_t before = save_requests();
    wins.activate(wins.hw_a);
    size_t after_set = save_requests();
    EXPECT_EQ(after_set, before + 1);

    // Re-read at every activation: clearing the value stops the requests.
    write_settings({});
    wins.activate(wins.hw_b);
    EXPECT_EQ(save_requests(), after_set);

    // A message that is not an activation, or a deactivation, sends nothing.
    write_settings({.st_tolva_save_all = 1});
    size_t base = save_requests();
    SendMessageA(wins.hw_a, WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageA(wins.hw_a, WM_SETTEXT, 0, (LPARAM) "x");
    EXPECT_EQ(save_requests(), base);
    SendMessageA(wins.hw_a, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_EQ(save_requests(), base + 1);

    // Disconnected, the hook is gone.
    ASSERT_EQ(disconnect(), S_OK);
    base = save_requests();
    SendMessageA(wins.hw_a, WM_ACTIVATE, WA_ACTIVE, 0);
    wins.activate(wins.hw_b);
    EXPECT_EQ(save_requests(), base);
}

TEST_F(AddinHost, ActivationWhileTheRequestIsOnItsWaySendsNoSecondOne)
{
    // The editor stand-in activates this window while the hook waits for
    // its reply; the hook then runs again inside itself, and must not send.
    WNDCLASSA wc{};
    wc.lpfnWndProc = host_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Tolva_test_activate";
    RegisterClassA(&wc);
    HWND echo = CreateWindowA(wc.lpszClassName, "host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                              nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(echo);
    write_settings({.st_tolva_save_all = 1});
    ASSERT_EQ(connect(1), S_OK);
    size_t before = save_requests();
    SendMessageA(echo, WM_ACTIVATE, WA_ACTIVE, 0);
    size_t after = save_requests();
    DestroyWindow(echo);
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
    EXPECT_EQ(after, before + 1);
}
