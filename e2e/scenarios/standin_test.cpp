// The stand-in client driven with the product's own discovery code.
#include <gtest/gtest.h>

#include "e2e/scenarios/harness.h"
#include "game/discovery.h"
#include "platform/win32/window_system_win32.h"

namespace {

using tamiru::e2e::Session;
namespace game = tamiru::game;

TEST(Standin, ComesUpWithItsConnectDialog) {
  Session s("standin_connect");
  ASSERT_TRUE(s.StartStandin());
  tamiru::platform::win32::Win32WindowSystem windows;
  EXPECT_NE(game::FindConnectDialog(windows), tamiru::platform::kNoWindow);
}

}  // namespace
