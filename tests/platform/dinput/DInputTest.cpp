// The DirectInput stand-in: devices fed by SDL events and by a scripted source.

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/dinput/DInput.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/ScanCodes.h"
#include "platform/win32/ScriptedEventSource.h"
#include "platform/win32/SdlVideo.h"

namespace {

class DInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plat::EnsureVideo());
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    plat::MessageQueue::Instance().Reset();
    ASSERT_EQ(DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                 reinterpret_cast<LPVOID*>(&input_), nullptr),
              DI_OK);
  }

  void TearDown() override {
    for (IDirectInputDevice8A* device : devices_) {
      device->Unacquire();
      device->Release();
    }
    input_->Release();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    plat::MessageQueue::Instance().Reset();
  }

  // Set up as the engine does: keyboard non-exclusive background, mouse foreground.
  IDirectInputDevice8A* Device(REFGUID which, DWORD bufferSize = 256) {
    IDirectInputDevice8A* device = nullptr;
    EXPECT_EQ(input_->CreateDevice(which, &device, nullptr), DI_OK);
    const bool keyboard = which == GUID_SysKeyboard;
    EXPECT_EQ(device->SetDataFormat(keyboard ? &c_dfDIKeyboard : &c_dfDIMouse2), DI_OK);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, keyboard ? 0x0A : 0x04), DI_OK);
    DIPROPDWORD size{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, bufferSize};
    EXPECT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, &size.diph), DI_OK);
    EXPECT_EQ(device->Acquire(), DI_OK);
    devices_.push_back(device);
    return device;
  }

  static std::vector<DIDEVICEOBJECTDATA> Read(IDirectInputDevice8A* device, HRESULT* result = nullptr,
                                              DWORD max = 256) {
    std::vector<DIDEVICEOBJECTDATA> records(max);
    DWORD count = max;
    const HRESULT hr = device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records.data(), &count, 0);
    if (result) *result = hr;
    records.resize(SUCCEEDED(hr) ? count : 0);
    return records;
  }

  static void PushKey(SDL_Scancode scancode, bool down, bool repeat = false) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = scancode;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
  }

  IDirectInput8A* input_ = nullptr;
  std::vector<IDirectInputDevice8A*> devices_;
};

TEST_F(DInputTest, SdlKeysArriveAsDirectInputCodes) {
  IDirectInputDevice8A* keyboard = Device(GUID_SysKeyboard);
  const struct {
    SDL_Scancode sdl;
    DWORD dik;
  } keys[] = {
      {SDL_SCANCODE_ESCAPE, DIK_ESCAPE}, {SDL_SCANCODE_BACKSPACE, DIK_BACK},
      {SDL_SCANCODE_TAB, DIK_TAB},       {SDL_SCANCODE_RETURN, DIK_RETURN},
      {SDL_SCANCODE_GRAVE, DIK_GRAVE},   {SDL_SCANCODE_LSHIFT, DIK_LSHIFT},
      {SDL_SCANCODE_RSHIFT, DIK_RSHIFT}, {SDL_SCANCODE_LCTRL, DIK_LCONTROL},
      {SDL_SCANCODE_RCTRL, DIK_RCONTROL}, {SDL_SCANCODE_LALT, DIK_LMENU},
      {SDL_SCANCODE_RALT, DIK_RMENU},    {SDL_SCANCODE_SPACE, DIK_SPACE},
      {SDL_SCANCODE_F1, DIK_F1},         {SDL_SCANCODE_F2, 0x3C},
      {SDL_SCANCODE_F10, DIK_F10},       {SDL_SCANCODE_F11, DIK_F11},
      {SDL_SCANCODE_F12, DIK_F12},       {SDL_SCANCODE_NUMLOCKCLEAR, DIK_NUMLOCK},
      {SDL_SCANCODE_UP, DIK_UP},         {SDL_SCANCODE_DOWN, DIK_DOWN},
      {SDL_SCANCODE_LEFT, DIK_LEFT},     {SDL_SCANCODE_RIGHT, DIK_RIGHT},
      {SDL_SCANCODE_INSERT, DIK_INSERT}, {SDL_SCANCODE_DELETE, DIK_DELETE},
      {SDL_SCANCODE_HOME, DIK_HOME},     {SDL_SCANCODE_END, DIK_END},
      {SDL_SCANCODE_A, DIK_A},           {SDL_SCANCODE_Q, DIK_Q},
      {SDL_SCANCODE_Z, DIK_Z},           {SDL_SCANCODE_M, DIK_M},
      {SDL_SCANCODE_1, DIK_1},           {SDL_SCANCODE_0, DIK_0},
      {SDL_SCANCODE_KP_0, DIK_NUMPAD0},  {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER},
      {SDL_SCANCODE_KP_DIVIDE, DIK_DIVIDE},
  };
  for (const auto& key : keys) {
    EXPECT_EQ(plat::ScanCodeFromSdl(key.sdl), key.dik) << SDL_GetScancodeName(key.sdl);
    PushKey(key.sdl, true);
    PushKey(key.sdl, false);
  }
  const std::vector<DIDEVICEOBJECTDATA> records = Read(keyboard);
  ASSERT_EQ(records.size(), 2 * std::size(keys));
  for (size_t i = 0; i < std::size(keys); ++i) {
    EXPECT_EQ(records[2 * i].dwOfs, keys[i].dik);
    EXPECT_EQ(records[2 * i].dwData, 0x80u);
    EXPECT_EQ(records[2 * i + 1].dwOfs, keys[i].dik);
    EXPECT_EQ(records[2 * i + 1].dwData, 0u);
  }
}

TEST_F(DInputTest, SdlKeyRepeatsAreIgnored) {
  IDirectInputDevice8A* keyboard = Device(GUID_SysKeyboard);
  PushKey(SDL_SCANCODE_BACKSPACE, true);
  for (int i = 0; i < 3; ++i) PushKey(SDL_SCANCODE_BACKSPACE, true, true);
  const std::vector<DIDEVICEOBJECTDATA> held = Read(keyboard);
  ASSERT_EQ(held.size(), 1u);
  BYTE state[256];
  ASSERT_EQ(keyboard->GetDeviceState(sizeof state, state), DI_OK);
  EXPECT_EQ(state[DIK_BACK], 0x80);
  PushKey(SDL_SCANCODE_BACKSPACE, false);
  ASSERT_EQ(Read(keyboard).size(), 1u);
  ASSERT_EQ(keyboard->GetDeviceState(sizeof state, state), DI_OK);
  EXPECT_EQ(state[DIK_BACK], 0);
}

TEST_F(DInputTest, BufferedRecordsComeInOrderAndAFullBufferSaysSo) {
  plat::ScriptedEventSource script;
  IDirectInputDevice8A* keyboard = Device(GUID_SysKeyboard, 4);
  for (uint32_t i = 0; i < 6; ++i) script.Key(static_cast<uint8_t>(DIK_A + i), true, 1000 + i);

  // Peeking leaves them.
  DWORD count = 2;
  DIDEVICEOBJECTDATA peeked[2];
  EXPECT_EQ(keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), peeked, &count, DIGDD_PEEK),
            DI_BUFFEROVERFLOW);
  EXPECT_EQ(count, 2u);

  HRESULT result = DI_OK;
  const std::vector<DIDEVICEOBJECTDATA> records = Read(keyboard, &result);
  EXPECT_EQ(result, DI_BUFFEROVERFLOW);
  EXPECT_TRUE(SUCCEEDED(result));
  ASSERT_EQ(records.size(), 4u) << "the newest two did not fit";
  for (uint32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(records[i].dwOfs, DIK_A + i);
    EXPECT_EQ(records[i].dwTimeStamp, 1000 + i);
    if (i > 0) {
      EXPECT_GT(records[i].dwSequence, records[i - 1].dwSequence);
    }
  }
  EXPECT_EQ(peeked[0].dwSequence, records[0].dwSequence);

  // The overflow is reported once; later records are kept again. Immediate state saw all.
  script.Key(DIK_SPACE, true, 2000);
  const std::vector<DIDEVICEOBJECTDATA> next = Read(keyboard, &result);
  EXPECT_EQ(result, DI_OK);
  ASSERT_EQ(next.size(), 1u);
  EXPECT_EQ(next[0].dwOfs, DIK_SPACE);
  BYTE state[256];
  ASSERT_EQ(keyboard->GetDeviceState(sizeof state, state), DI_OK);
  EXPECT_EQ(state[DIK_A + 5], 0x80);

  // A short read leaves the rest; a null buffer with INFINITE empties it.
  for (int i = 0; i < 3; ++i) script.Key(DIK_F1, i % 2 == 0);
  EXPECT_EQ(Read(keyboard, nullptr, 1).size(), 1u);
  count = INFINITE;
  EXPECT_EQ(keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, &count, 0), DI_OK);
  EXPECT_EQ(count, 2u);
  EXPECT_TRUE(Read(keyboard).empty());
}

TEST_F(DInputTest, MouseMotionWheelAndButtonsFromScript) {
  plat::ScriptedEventSource script;
  IDirectInputDevice8A* mouse = Device(GUID_SysMouse);
  script.Motion(3, 4, 10);
  script.Motion(2, -1, 11);
  script.Wheel(120, 12);
  script.Wheel(-240, 13);
  script.Button(0, true, 14);
  script.Button(2, true, 15);
  script.Button(2, false, 16);

  const std::vector<DIDEVICEOBJECTDATA> records = Read(mouse);
  ASSERT_EQ(records.size(), 9u);
  const DWORD offsets[] = {DIMOFS_X, DIMOFS_Y, DIMOFS_X, DIMOFS_Y, DIMOFS_Z,
                           DIMOFS_Z, DIMOFS_BUTTON0, DIMOFS_BUTTON2, DIMOFS_BUTTON2};
  const int data[] = {3, 4, 2, -1, 120, -240, 0x80, 0x80, 0};
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(records[i].dwOfs, offsets[i]) << i;
    EXPECT_EQ(static_cast<int>(records[i].dwData), data[i]) << i;
  }
  EXPECT_EQ(records[0].dwSequence, records[1].dwSequence) << "x and y of one motion";
  EXPECT_LT(records[1].dwSequence, records[2].dwSequence);

  // The immediate state sums the motion since the previous read.
  DIMOUSESTATE2 state{};
  ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lX, 5);
  EXPECT_EQ(state.lY, 3);
  EXPECT_EQ(state.lZ, -120);
  EXPECT_EQ(state.rgbButtons[0], 0x80);
  EXPECT_EQ(state.rgbButtons[2], 0);
  ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lX, 0);
  EXPECT_EQ(state.lZ, 0);
  EXPECT_EQ(state.rgbButtons[0], 0x80) << "buttons are states, not motion";
  EXPECT_EQ(mouse->GetDeviceState(sizeof(DIMOUSESTATE), &state), DIERR_INVALIDPARAM)
      << "the size follows the data format";
}

TEST_F(DInputTest, SdlMouseEventsAsDirectInputSees) {
  IDirectInputDevice8A* mouse = Device(GUID_SysMouse);
  SDL_Event event{};
  event.type = SDL_MOUSEWHEEL;
  event.wheel.y = 2;
  SDL_PushEvent(&event);
  event = SDL_Event{};
  event.type = SDL_MOUSEWHEEL;
  event.wheel.y = 1;
  event.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
  SDL_PushEvent(&event);
  event = SDL_Event{};
  event.type = SDL_MOUSEBUTTONDOWN;
  event.button.button = SDL_BUTTON_RIGHT;
  event.button.state = SDL_PRESSED;
  SDL_PushEvent(&event);
  event.button.button = SDL_BUTTON_MIDDLE;
  SDL_PushEvent(&event);
  event = SDL_Event{};
  event.type = SDL_MOUSEMOTION;
  event.motion.xrel = -7;
  event.motion.yrel = 9;
  SDL_PushEvent(&event);

  DIMOUSESTATE2 state{};
  ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lZ, 240 - 120);
  EXPECT_EQ(state.rgbButtons[1], 0x80) << "SDL's right button is button 1";
  EXPECT_EQ(state.rgbButtons[2], 0x80) << "SDL's middle button is button 2";
  EXPECT_EQ(state.lX, -7);
  EXPECT_EQ(state.lY, 9);
}

TEST_F(DInputTest, AFocusLossTakesTheForegroundMouseAway) {
  plat::ScriptedEventSource script;
  IDirectInputDevice8A* keyboard = Device(GUID_SysKeyboard);
  IDirectInputDevice8A* mouse = Device(GUID_SysMouse);
  script.Activate(nullptr, false);
  script.Key(DIK_A, true);

  HRESULT result = DI_OK;
  EXPECT_TRUE(Read(mouse, &result).empty());
  EXPECT_EQ(result, DIERR_INPUTLOST) << "once";
  DIMOUSESTATE2 state{};
  EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), DIERR_NOTACQUIRED);
  EXPECT_EQ(mouse->Acquire(), DIERR_OTHERAPPHASPRIORITY);
  // The background keyboard keeps reading.
  EXPECT_EQ(Read(keyboard).size(), 1u);

  script.Activate(nullptr, true);
  script.Motion(1, 1);
  EXPECT_EQ(mouse->Poll(), DIERR_NOTACQUIRED);
  EXPECT_EQ(mouse->Acquire(), DI_OK);
  EXPECT_EQ(mouse->Acquire(), S_FALSE);
  EXPECT_TRUE(Read(mouse).empty()) << "motion while unacquired is not buffered";
  EXPECT_EQ(mouse->Poll(), DI_NOEFFECT);
}

TEST_F(DInputTest, AcquireStartsFromTheKeysHeld) {
  plat::ScriptedEventSource script;
  script.Key(DIK_LMENU, true);
  plat::MessageQueue::Instance().Drain();
  IDirectInputDevice8A* keyboard = Device(GUID_SysKeyboard);
  BYTE state[256];
  ASSERT_EQ(keyboard->GetDeviceState(sizeof state, state), DI_OK);
  EXPECT_EQ(state[DIK_LMENU], 0x80);
  EXPECT_TRUE(Read(keyboard).empty());
}

TEST_F(DInputTest, SetUpRulesAndErrors) {
  IDirectInputDevice8A* device = nullptr;
  EXPECT_EQ(input_->CreateDevice(IID_IDirectInput8A, &device, nullptr), DIERR_DEVICENOTREG);
  ASSERT_EQ(input_->CreateDevice(GUID_SysKeyboard, &device, nullptr), DI_OK);
  devices_.push_back(device);

  DWORD count = 1;
  DIDEVICEOBJECTDATA record;
  EXPECT_EQ(device->GetDeviceData(sizeof record, &record, &count, 0), DIERR_NOTACQUIRED);
  EXPECT_EQ(device->Acquire(), DIERR_INVALIDPARAM) << "no data format yet";
  EXPECT_EQ(device->SetDataFormat(&c_dfDIMouse), DIERR_INVALIDPARAM);
  EXPECT_EQ(device->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  EXPECT_EQ(device->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE), DIERR_INVALIDPARAM);
  EXPECT_EQ(device->SetCooperativeLevel(reinterpret_cast<HWND>(0x1234), 0x0A), E_HANDLE);
  EXPECT_EQ(device->Acquire(), DI_OK);
  EXPECT_EQ(device->GetDeviceData(sizeof record, &record, &count, 0), DIERR_NOTBUFFERED);
  DIPROPDWORD size{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 16};
  EXPECT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, &size.diph), DIERR_ACQUIRED);
  EXPECT_EQ(device->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
  EXPECT_EQ(device->GetDeviceData(12, &record, &count, 0), DIERR_INVALIDPARAM);
  EXPECT_EQ(device->Unacquire(), DI_OK);
  EXPECT_EQ(device->Unacquire(), DI_NOEFFECT);
  EXPECT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, &size.diph), DI_OK);
  DIPROPDWORD read{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 0};
  EXPECT_EQ(device->GetProperty(DIPROP_BUFFERSIZE, &read.diph), DI_OK);
  EXPECT_EQ(read.dwData, 16u);

  LPVOID other = nullptr;
  EXPECT_EQ(DirectInput8Create(nullptr, 0x0700, IID_IDirectInput8A, &other, nullptr),
            DIERR_OLDDIRECTINPUTVERSION);
  EXPECT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, GUID_SysMouse, &other, nullptr),
            E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_STREQ(DInputErrorName(DIERR_INPUTLOST), "DIERR_INPUTLOST");
  EXPECT_STREQ(DInputErrorName(DIERR_NOTACQUIRED), "DIERR_NOTACQUIRED");
  EXPECT_EQ(DInputErrorName(0x12345), nullptr);
}

}  // namespace
