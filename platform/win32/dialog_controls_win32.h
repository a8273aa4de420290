#pragma once
// The controls of the settings dialog on the real desktop: group boxes,
// option buttons and an option group, spin controls tied to an edit, and a
// page control whose pages hold controls of their own. Each is made on a
// Win32Form, which gives it its id and its place (on a page or not).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/form_host.h"

namespace tamiru::platform::win32 {

class Win32Form;

std::unique_ptr<Label> CreateWin32GroupBox(Win32Form& form, const ControlSpec& layout);
std::unique_ptr<CheckBox> CreateWin32RadioButton(Win32Form& form, const ControlSpec& layout);
// A group box with `items` as option buttons in `columns` columns.
std::unique_ptr<RadioGroup> CreateWin32RadioGroup(Win32Form& form, const ControlSpec& layout,
                                                  const std::vector<std::string>& items, int columns);
std::unique_ptr<UpDown> CreateWin32UpDown(Win32Form& form, const ControlSpec& layout, WindowHandle buddy, int min,
                                          int max);
// Tells the form its page windows, so that controls made later can stand on them.
std::unique_ptr<PageControl> CreateWin32PageControl(Win32Form& form, const ControlSpec& layout,
                                                    const std::vector<std::string>& page_captions);

// `handler` gets the virtual-key code of every key that goes down in `edit`
// (WM_KEYDOWN and WM_SYSKEYDOWN) before the edit does. The edit asks the
// dialog handling for every key but Tab, so that Enter and Esc reach it
// too and Tab still moves on. A mouse button pressed into the edit once it
// has the focus is reported by its key code as the key poll reads it
// (MouseButtonDown), and the edit opens no menu.
void HookKeyDown(WindowHandle edit, std::function<void(int virtual_key)> handler);

}  // namespace tamiru::platform::win32
