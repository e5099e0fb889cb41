#pragma once

// What the screen tests need of the application and the input devices. The window layer's
// headers and the Direct3D headers (the camera's) both declare RECT, so these live in a
// file of their own.

#include <string>

namespace input {
class MouseListener;
}

namespace screentest {

// A windowed application without a window becomes the game flow manager's, so that its
// frames draw; Detach removes and deletes it.
void AttachApplication(const char* name);
void DetachApplication();

// Fresh input devices (without a window), and their shutdown.
bool StartInputDevices();
void StopInputDevices();
// The listener is registered with the mouse device.
bool IsMouseListener(const input::MouseListener* listener);

// The text of a panel file: a full-screen panel whose one full-size child shows the image.
std::string PanelFile(const std::string& name, const std::string& image);

// Leaves the game flow manager and the UI manager without states, transitions, camera or
// panels, and the cursor shown again.
void ClearScreens();

}  // namespace screentest
