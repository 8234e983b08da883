#pragma once

#include <optional>
#include <string_view>

// What a key press in the calibration window does. The window hands in what the toolkit
// delivered: the typed characters (if any) and the key code, as Qt 6 numbers them.
namespace kestrel::CalibrationKey {

enum class Action { start, cancel };

// Qt 6 key codes (Qt::Key_Escape, Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter).
inline constexpr int escapeKey = 0x01000000;
inline constexpr int spaceKey = 0x20;
inline constexpr int returnKey = 0x01000004;
inline constexpr int enterKey = 0x01000005;

// The characters Qt 6 types for Space and for Return (and the keypad's Enter).
inline constexpr std::string_view spaceCharacters = " ";
inline constexpr std::string_view returnCharacters = "\r";

// Escape cancels, whatever else holds. Otherwise, with Start enabled, typing exactly a space
// or a carriage return starts; anything else does nothing.
std::optional<Action> action(std::optional<std::string_view> characters, int keyCode, bool startEnabled);

}  // namespace kestrel::CalibrationKey
