#pragma once
// The general error display: an error that an operation did not handle
// itself, shown in a box with a stop icon, one OK button and the program's
// name as title; the program then goes on.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/controls.h"
#include "platform/form_host.h"
#include "platform/system.h"

namespace tamiru::app {

inline constexpr std::string_view kProgramName = "Tamiru";

// The message with a full stop at its end (none added when one is there).
std::string WithFullStop(std::string_view message);

void ShowGeneralError(platform::Dialogs& dialogs, platform::WindowHandle owner, std::string_view message);

// The event boundary of one window: every handler of the window runs through
// it, and an error that escapes a handler ends it there and is shown in the
// general error display over the window.
class EventBoundary {
 public:
  EventBoundary(platform::FormHost& host, platform::Dialogs& dialogs) : host_(host), dialogs_(dialogs) {}
  void Run(const std::function<void()>& handler) const;
  void ShowError(std::string_view message) const;
  // The control's event runs `handler` through the boundary.
  void Connect(const platform::Control& control, platform::ControlEvent event, std::function<void()> handler) const;
  // A timer's tick runs `handler` through the boundary.
  void Connect(platform::Timer& timer, std::function<void()> handler) const;
  // The control's event runs `form`'s member `handler` through the boundary.
  template <typename Form>
  void Connect(const platform::Control& control, platform::ControlEvent event, Form& form,
               void (Form::*handler)()) const {
    Connect(control, event, [&form, handler] { (form.*handler)(); });
  }
  // A control just made, with its click connected: a button's handler is
  // named where the button is made.
  template <typename ControlType, typename Form>
  std::unique_ptr<ControlType> Clicking(std::unique_ptr<ControlType> control, Form& form,
                                        void (Form::*handler)()) const {
    Connect(*control, platform::ControlEvent::kClick, form, handler);
    return control;
  }

 private:
  platform::FormHost& host_;
  platform::Dialogs& dialogs_;
};

}  // namespace tamiru::app
