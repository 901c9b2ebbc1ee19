// The message queue: retrieval order, WM_QUIT as a flag, timers on the virtual clock, waiting,
// and the characters TranslateMessage makes of key-downs.
#include "fixture.h"

namespace winport_test {
namespace {

using winport::headless::now_ms;

class MessageOrder : public UserTest {};

TEST_F(MessageOrder, PostedThenQuitThenPaintThenTimer) {
  HWND hwnd = make_window();
  ShowWindow(hwnd, SW_SHOW);  // leaves the window invalid: a WM_PAINT is due
  SetTimer(hwnd, 7, 100, nullptr);
  MSG msg;
  ASSERT_TRUE(WaitMessage());  // the paint is retrievable at once; the clock has not moved
  EXPECT_EQ(now_ms(), 0u);

  PostMessageA(hwnd, WM_USER + 1, 0, 0);
  PostQuitMessage(3);
  PostMessageA(hwnd, WM_USER + 2, 0, 0);  // posted after the quit request, still retrieved before it

  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.wParam, 3u);

  // WM_PAINT stays until the window is validated, whatever PM_REMOVE says.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  DispatchMessageA(&msg);  // the default procedure validates

  // The quit flag is retrieved once; the timer comes only when due.
  EXPECT_TRUE(WaitMessage());
  EXPECT_EQ(now_ms(), 100u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(msg.hwnd, hwnd);
}

TEST_F(MessageOrder, NoRemoveLeavesTheMessageAndGetMessageEndsAtQuit) {
  HWND hwnd = make_window();
  PostMessageA(hwnd, WM_USER, 1, 2);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER + 0u);
  PostQuitMessage(0);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.lParam, 2);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageOrder, MessagesToAWindowThatIsGoneAreRefused) {
  HWND hwnd = make_window();
  DestroyWindow(hwnd);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(PostMessageA(hwnd, WM_USER, 0, 0));
  EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 0);
  EXPECT_TRUE(PostMessageA(nullptr, WM_USER, 0, 0));  // a thread message needs no window
}

class Timers : public UserTest {};

TEST_F(Timers, ElapsedPeriodsCoalesceIntoOneMessageAndTheGridHolds) {
  HWND hwnd = make_window();
  SetTimer(hwnd, 1, 100, nullptr);
  winport::scripted::click("Test", 5, 5, 350);
  MSG msg;
  // Wait for the click only: the timer falls due three times meanwhile without being retrieved.
  ASSERT_TRUE(GetMessageA(&msg, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN));
  EXPECT_EQ(now_ms(), 350u);
  int timers = 0;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message == WM_TIMER) ++timers;
  EXPECT_EQ(timers, 1);
  WaitMessage();
  EXPECT_EQ(now_ms(), 400u);  // the next tick stays on the 100 ms grid
}

TEST_F(Timers, KillTimerAndDestroyWindowStopThem) {
  HWND a = make_window("A");
  HWND b = make_window("B");
  SetTimer(a, 1, 100, nullptr);
  SetTimer(b, 2, 100, nullptr);
  EXPECT_TRUE(KillTimer(a, 1));
  EXPECT_FALSE(KillTimer(a, 1));
  DestroyWindow(b);
  winport::scripted::click("A", 1, 1, 1000);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(now_ms(), 1000u);
}

TEST_F(Timers, ResettingATimerRestartsItsPeriod) {
  HWND hwnd = make_window();
  SetTimer(hwnd, 1, 100, nullptr);
  winport::scripted::click("Test", 1, 1, 60);
  MSG msg;
  GetMessageA(&msg, nullptr, 0, 0);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONDOWN));
  SetTimer(hwnd, 1, 100, nullptr);
  GetMessageA(&msg, nullptr, WM_TIMER, WM_TIMER);
  EXPECT_EQ(now_ms(), 160u);
}

TEST_F(Timers, WaitMessageSleepsUntilTheNextDeadline) {
  HWND hwnd = make_window();
  SetTimer(hwnd, 1, 250, nullptr);
  SetTimer(hwnd, 2, 90, nullptr);
  WaitMessage();
  EXPECT_EQ(now_ms(), 90u);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 2u);
  // A poll that finds nothing lets a virtual millisecond pass, no more.
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(now_ms(), 91u);
}

TEST_F(Timers, AWaitThatLeavesTimersOutSleepsThroughThemAndTheirMessageStaysOne) {
  HWND hwnd = make_window();
  SetTimer(hwnd, 1, 100, nullptr);
  winport::scripted::click("Test", 5, 5, 350);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT & ~QS_TIMER), WAIT_OBJECT_0);
  EXPECT_EQ(now_ms(), 350u);  // not woken at 100, 200 or 300
  EXPECT_EQ(pump_one(), static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(pump_one(), static_cast<UINT>(WM_LBUTTONUP));
  EXPECT_EQ(pump_one(), static_cast<UINT>(WM_TIMER));  // the periods that went by, as one message
  EXPECT_EQ(pump_one(), WM_NULL);
  // With timers in the mask the next tick ends the wait, on the grid; a time-out ends it first.
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT), WAIT_OBJECT_0);
  EXPECT_EQ(now_ms(), 400u);
  EXPECT_EQ(pump_one(), static_cast<UINT>(WM_TIMER));
  // A posted message ends a wait that asks for posted messages, not one that asks for keys only.
  PostMessageA(hwnd, WM_USER, 0, 0);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_KEY), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_POSTMESSAGE), WAIT_OBJECT_0);
}

TEST_F(Timers, ATimerProcedureIsCalledByDispatch) {
  static int calls;
  calls = 0;
  HWND hwnd = make_window();
  SetTimer(hwnd, 4, 50, [](HWND, UINT, UINT_PTR id, DWORD) { calls += static_cast<int>(id); });
  EXPECT_EQ(pump_one(), WM_NULL);
  WaitMessage();
  EXPECT_EQ(pump_one(), static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(calls, 4);
  EXPECT_TRUE(of(WM_TIMER).empty());  // the procedure took it, not the window
}

class Characters : public UserTest {};

TEST_F(Characters, AKeyTypesItsCharacterBeforeLaterInput) {
  HWND hwnd = make_window();
  ShowWindow(hwnd, SW_SHOW);
  winport::scripted::key("Test", 'A', 'a');
  WaitMessage();
  std::vector<UINT> order;
  for (UINT m; (m = pump_one()) != WM_NULL;)
    if (m != WM_PAINT) order.push_back(m);
  // WM_CHAR is posted, and posted messages come before input still waiting (the key-up).
  EXPECT_EQ(order, (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP}));
  ASSERT_EQ(of(WM_CHAR).size(), 1u);
  EXPECT_EQ(of(WM_CHAR)[0].wparam, 97u);
  EXPECT_EQ(of(WM_KEYDOWN)[0].wparam, static_cast<WPARAM>('A'));
}

TEST_F(Characters, CtrlLetterGivesAControlCodeAndCtrlItselfNone) {
  HWND hwnd = make_window();
  ShowWindow(hwnd, SW_SHOW);
  winport::scripted::key("Test", 'Q', 'q', true);
  WaitMessage();
  std::vector<UINT> order;
  for (UINT m; (m = pump_one()) != WM_NULL;)
    if (m != WM_PAINT) order.push_back(m);
  // The control code arrives while Ctrl is still down, so a program that tracks Ctrl by its key
  // messages sees the character as a shortcut.
  EXPECT_EQ(order, (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_KEYUP}));
  auto downs = of(WM_KEYDOWN);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].wparam, static_cast<WPARAM>(VK_CONTROL));
  EXPECT_EQ(downs[1].wparam, static_cast<WPARAM>('Q'));
  ASSERT_EQ(of(WM_CHAR).size(), 1u);
  EXPECT_EQ(of(WM_CHAR)[0].wparam, 17u);
  EXPECT_EQ(of(WM_KEYUP).back().wparam, static_cast<WPARAM>(VK_CONTROL));
}

// A key-down a program posts is translated as Win32 does: from its virtual key and the keyboard
// state, which posted key messages do not change; lParam holds a scan code, never the character.
TEST_F(Characters, KeyDownsPostedByTheProgramTranslateFromTheVirtualKey) {
  HWND hwnd = make_window();
  const struct {
    WPARAM vk;
    LPARAM lparam;
  } posted[] = {{'A', 0x001E0001}, {VK_CONTROL, 0x001D0001}, {'Q', 0x00100001}, {VK_SHIFT, 0x002A0001},
                {VK_MENU, 0x00380001}, {VK_LEFT, 0x014B0001}, {VK_RETURN, 0x001C0001}, {'7', 0x00080001}};
  for (const auto &p : posted) PostMessageA(hwnd, WM_KEYDOWN, p.vk, p.lparam);
  for (UINT m; (m = pump_one()) != WM_NULL;) {
  }
  std::vector<WPARAM> chars;
  for (const Seen &s : of(WM_CHAR)) chars.push_back(s.wparam);
  EXPECT_EQ(chars, (std::vector<WPARAM>{'a', 'q', '\r', '7'}));
}

// Real input: the key-down carries the scan code, the character comes from the key the user typed,
// and a copy posted on to another window is translated afresh, in the keyboard state of that input.
TEST_F(Characters, RealKeysCarryTheirScanCodeAndTypeWhatTheUserTyped) {
  HWND hwnd = make_window();
  HWND other = make_window("Other");
  ShowWindow(hwnd, SW_SHOW);
  reaction() = [other](HWND h, UINT message, WPARAM wparam, LPARAM lparam, LRESULT *) {
    if (h != other && message == WM_KEYDOWN) PostMessageA(other, message, wparam, lparam);
    return false;
  };
  winport::scripted::key("Test", 'A', 'a');
  winport::scripted::key("Test", VK_CONTROL, 0);
  winport::scripted::key("Test", '1', '!');  // with Shift held
  WaitMessage();
  for (UINT m; (m = pump_one()) != WM_NULL;) {
  }
  auto downs = of(WM_KEYDOWN);
  ASSERT_EQ(downs.size(), 6u);
  EXPECT_EQ(downs[0].lparam, 0x001E0001);
  EXPECT_EQ(downs[2].lparam, 0x001D0001);
  std::vector<std::pair<HWND, WPARAM>> chars;
  for (const Seen &s : of(WM_CHAR)) chars.push_back({s.hwnd, s.wparam});
  EXPECT_EQ(chars, (std::vector<std::pair<HWND, WPARAM>>{{hwnd, 'a'}, {other, 'a'}, {hwnd, '!'}, {other, '!'}}));
}

// The whole US keyboard as TranslateMessage types it: every key that types something, with and
// without the Shift the user holds, and Ctrl turning letters (only) into control codes.
TEST_F(Characters, EveryKeyTypesItsUsCharacterWithAndWithoutShiftOrCtrl) {
  HWND hwnd = make_window();
  ShowWindow(hwnd, SW_SHOW);
  const std::string keys = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::vector<WPARAM> vks(keys.begin(), keys.end());
  for (WPARAM vk : {0xC0, 0xBD, 0xBB, 0xDB, 0xDD, 0xDC, 0xBA, 0xDE, 0xBC, 0xBE, 0xBF, VK_SPACE, VK_TAB, VK_RETURN})
    vks.push_back(vk);
  const auto typed = [&](int modifier) {
    if (modifier != 0) winport::scripted::key_down("Test", modifier, 0, modifier == VK_CONTROL);
    while (pump_one() != WM_NULL) {
    }
    seen().clear();
    for (WPARAM vk : vks) PostMessageA(hwnd, WM_KEYDOWN, vk, 0);
    while (pump_one() != WM_NULL) {
    }
    std::string chars;
    for (const Seen &s : of(WM_CHAR)) chars += static_cast<char>(s.wparam);
    if (modifier != 0) winport::scripted::key_up("Test", modifier, false);
    while (pump_one() != WM_NULL) {
    }
    return chars;
  };
  EXPECT_EQ(typed(0), "abcdefghijklmnopqrstuvwxyz0123456789`-=[]\\;',./ \t\r");
  EXPECT_EQ(typed(VK_SHIFT), "ABCDEFGHIJKLMNOPQRSTUVWXYZ)!@#$%^&*(~_+{}|:\"<>? \t\r");
  std::string controls;
  for (char c = 1; c <= 26; ++c) controls += c;
  EXPECT_EQ(typed(VK_CONTROL), controls);
}

}  // namespace
}  // namespace winport_test
