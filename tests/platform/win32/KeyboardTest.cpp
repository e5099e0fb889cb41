// Keys to characters through the keyboard layout, and the clipboard.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32/KernelApi.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/ScanCodes.h"
#include "platform/win32/ScriptedEventSource.h"
#include "platform/win32/SdlVideo.h"
#include "platform/win32/WinUser.h"

namespace {

class KeyboardLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plat::EnsureVideo());
    plat::MessageQueue::Instance().Reset();
  }
  void TearDown() override { plat::MessageQueue::Instance().Reset(); }

  // What the engine does: scan code -> virtual key (type 1) -> character with the state.
  static char Translate(UINT scanCode, const BYTE* state) {
    HKL layout = GetKeyboardLayout(0);
    const UINT vk = MapVirtualKeyExA(scanCode, MAPVK_VSC_TO_VK, layout);
    WORD chars[2] = {0, 0};
    const int count = ToAsciiEx(vk, scanCode, state, chars, 0, layout);
    return count == 1 ? static_cast<char>(chars[0]) : 0;
  }
};

TEST_F(KeyboardLayoutTest, ScanCodesGiveUsLayoutCharacters) {
  enum Mods { kNone = 0, kShift = 1, kCaps = 2, kCtrl = 4, kAlt = 8 };
  struct Case {
    UINT scan;
    int mods;
    char expected;
  };
  const Case cases[] = {
      {0x1E, kNone, 'a'},          {0x1E, kShift, 'A'},         {0x1E, kCaps, 'A'},
      {0x1E, kCaps | kShift, 'a'}, {0x2C, kNone, 'z'},          {0x02, kNone, '1'},
      {0x02, kShift, '!'},         {0x0B, kShift, ')'},         {0x0C, kNone, '-'},
      {0x0C, kShift, '_'},         {0x27, kShift, ':'},         {0x29, kNone, '`'},
      {0x29, kShift, '~'},         {0x35, kShift, '?'},         {0x39, kNone, ' '},
      {0x1C, kNone, '\r'},         {0x9C, kNone, '\r'},         {0x0E, kNone, '\b'},
      {0x0F, kNone, '\t'},         {0x01, kNone, 0x1B},         {0x2E, kCtrl, 0x03},
      {0x2E, kCtrl | kAlt, 0},     {0x1E, kAlt, 'a'},           {0xC8, kNone, 0},
      {0x3B, kNone, 0},            {0x2A, kShift, 0},           {0x37, kNone, '*'},
      {0xB5, kNone, '/'},          {0xE035, kNone, '/'},  // keypad / in E0 form
  };
  for (const Case& c : cases) {
    BYTE state[256] = {};
    if (c.mods & kShift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    if (c.mods & kCaps) state[VK_CAPITAL] = 0x01;
    if (c.mods & kCtrl) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    if (c.mods & kAlt) state[VK_MENU] = state[VK_LMENU] = 0x80;
    EXPECT_EQ(Translate(c.scan, state), c.expected) << std::hex << c.scan << " mods " << c.mods;
  }
}

TEST_F(KeyboardLayoutTest, KeypadDigitsNeedNumLock) {
  plat::ScriptedEventSource script;
  BYTE state[256];
  GetKeyboardState(state);
  EXPECT_EQ(Translate(0x4F, state), 0) << "keypad 1 is End without Num Lock";
  script.Key(0x45, true);
  script.Key(0x45, false);
  plat::MessageQueue::Instance().Drain();
  GetKeyboardState(state);
  EXPECT_EQ(state[VK_NUMLOCK] & 1, 1);
  EXPECT_EQ(Translate(0x4F, state), '1');
  EXPECT_EQ(Translate(0x53, state), '.');
}

TEST_F(KeyboardLayoutTest, KeyboardStateFollowsTheKeysSeen) {
  plat::ScriptedEventSource script;
  script.Key(0x36, true);  // right Shift held
  script.Key(0x3A, true);  // Caps Lock pressed and released: on
  script.Key(0x3A, false);
  script.Key(0x9D, true);  // right Ctrl
  plat::MessageQueue::Instance().Drain();
  BYTE state[256];
  ASSERT_TRUE(GetKeyboardState(state));
  EXPECT_EQ(state[VK_SHIFT], 0x80);
  EXPECT_EQ(state[VK_RSHIFT], 0x80);
  EXPECT_EQ(state[VK_LSHIFT], 0);
  EXPECT_EQ(state[VK_CONTROL], 0x80);
  EXPECT_EQ(state[VK_RCONTROL], 0x80);
  EXPECT_EQ(state[VK_CAPITAL], 0x01);
  EXPECT_EQ(Translate(0x1E, state), 0x01) << "Ctrl+A is a control code";
  // Without Ctrl, Shift and Caps Lock cancel out for letters.
  script.Key(0x9D, false);
  plat::MessageQueue::Instance().Drain();
  GetKeyboardState(state);
  EXPECT_EQ(Translate(0x1E, state), 'a');
}

TEST_F(KeyboardLayoutTest, MapVirtualKeyBothWays) {
  EXPECT_EQ(MapVirtualKeyExA(0x2A, MAPVK_VSC_TO_VK, nullptr), VK_SHIFT);
  EXPECT_EQ(MapVirtualKeyExA(0x2A, MAPVK_VSC_TO_VK_EX, nullptr), VK_LSHIFT);
  EXPECT_EQ(MapVirtualKeyExA(0xB8, MAPVK_VSC_TO_VK_EX, nullptr), VK_RMENU);
  EXPECT_EQ(MapVirtualKeyExA(0xC8, MAPVK_VSC_TO_VK, nullptr), VK_UP);
  EXPECT_EQ(MapVirtualKeyExA(VK_UP, MAPVK_VK_TO_VSC, nullptr), 0xC8u);
  EXPECT_EQ(MapVirtualKeyExA('Q', MAPVK_VK_TO_VSC, nullptr), 0x10u);
  EXPECT_EQ(MapVirtualKeyExA('Q', MAPVK_VK_TO_CHAR, nullptr), static_cast<UINT>('Q'));
  EXPECT_EQ(MapVirtualKeyExA(VK_OEM_2, MAPVK_VK_TO_CHAR, nullptr), static_cast<UINT>('/'));
  EXPECT_EQ(MapVirtualKeyExA(0x7F, MAPVK_VSC_TO_VK, nullptr), 0u);
  EXPECT_NE(GetKeyboardLayout(0), nullptr);
}

TEST(ScanCodeTable, EveryScanCodeMapsBackToItsKey) {
  for (int scan = 1; scan < 256; ++scan) {
    const int sdl = plat::SdlFromScanCode(static_cast<uint8_t>(scan));
    if (sdl) {
      EXPECT_EQ(plat::ScanCodeFromSdl(sdl), scan) << std::hex << scan;
    }
  }
  EXPECT_EQ(plat::ScanCodeFromSdl(0), 0);
  EXPECT_EQ(plat::ScanCodeFromSdl(100000), 0);
}

class ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(plat::EnsureVideo()); }

  static bool SetUnicode(const std::u16string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * 2);
    auto* data = static_cast<char16_t*>(GlobalLock(block));
    std::memcpy(data, text.c_str(), text.size() * 2);
    GlobalUnlock(block);
    const bool set = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    CloseClipboard();
    return set;
  }

  static std::string GetText(UINT format) {
    std::string out;
    if (!OpenClipboard(nullptr)) return "<not opened>";
    if (IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(CF_OEMTEXT)) {
      HANDLE data = GetClipboardData(format);
      if (data) {
        out = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
    return out;
  }
};

TEST_F(ClipboardTest, UnicodeTextInNarrowTextOut) {
  ASSERT_TRUE(SetUnicode(u"Hana \u00e9t\u00e9 \u2713"));
  EXPECT_EQ(GetText(CF_OEMTEXT), "Hana \xc3\xa9t\xc3\xa9 \xe2\x9c\x93");
  EXPECT_EQ(GetText(CF_TEXT), "Hana \xc3\xa9t\xc3\xa9 \xe2\x9c\x93");

  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE wide = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(std::u16string(static_cast<const char16_t*>(GlobalLock(wide))), u"Hana \u00e9t\u00e9 \u2713");
  GlobalUnlock(wide);
  CloseClipboard();
}

TEST_F(ClipboardTest, OpenOnceAndEmptyMeansNothingAvailable) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_FALSE(OpenClipboard(nullptr));
  EXPECT_TRUE(EmptyClipboard());
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(GetClipboardData(CF_OEMTEXT), nullptr);
  EXPECT_TRUE(CloseClipboard());
  EXPECT_FALSE(CloseClipboard());
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CLIPBOARD_NOT_OPEN);
}

TEST_F(ClipboardTest, UnterminatedBlockIsReadOnlyToItsEnd) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);  // "ab" without a terminator
  auto* data = static_cast<char16_t*>(GlobalLock(block));
  data[0] = u'a';
  data[1] = u'b';
  GlobalUnlock(block);
  ASSERT_NE(SetClipboardData(CF_UNICODETEXT, block), nullptr);
  CloseClipboard();
  EXPECT_EQ(GetText(CF_TEXT), "ab");
}

}  // namespace
