#pragma once
// The virtual-key codes Tamiru presses, polls or recognises, as the platform
// numbers them. The side-independent codes: either SHIFT key is VK_SHIFT.
namespace tamiru::platform {

inline constexpr int kVkLButton = 0x01;  // the primary mouse button
inline constexpr int kVkReturn = 0x0D;
inline constexpr int kVkShift = 0x10;
inline constexpr int kVkControl = 0x11;
inline constexpr int kVkMenu = 0x12;  // ALT
inline constexpr int kVkF4 = 0x73;

}  // namespace tamiru::platform
