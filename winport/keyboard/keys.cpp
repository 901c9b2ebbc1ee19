// keys.cpp — the US keyboard table (see keys.h).
#include "keyboard/keys.h"

#include <windows.h>

namespace winport::keyboard {
namespace {

// The main block first, so that a character typed by the main block and by the keypad is found
// on the main block. Keys that type nothing keep 0 in both character columns.
constexpr Key kKeys[] = {
    // Letters: the virtual key is the capital.
    {'A', 0x1E, false, 'a', 'A'}, {'B', 0x30, false, 'b', 'B'}, {'C', 0x2E, false, 'c', 'C'},
    {'D', 0x20, false, 'd', 'D'}, {'E', 0x12, false, 'e', 'E'}, {'F', 0x21, false, 'f', 'F'},
    {'G', 0x22, false, 'g', 'G'}, {'H', 0x23, false, 'h', 'H'}, {'I', 0x17, false, 'i', 'I'},
    {'J', 0x24, false, 'j', 'J'}, {'K', 0x25, false, 'k', 'K'}, {'L', 0x26, false, 'l', 'L'},
    {'M', 0x32, false, 'm', 'M'}, {'N', 0x31, false, 'n', 'N'}, {'O', 0x18, false, 'o', 'O'},
    {'P', 0x19, false, 'p', 'P'}, {'Q', 0x10, false, 'q', 'Q'}, {'R', 0x13, false, 'r', 'R'},
    {'S', 0x1F, false, 's', 'S'}, {'T', 0x14, false, 't', 'T'}, {'U', 0x16, false, 'u', 'U'},
    {'V', 0x2F, false, 'v', 'V'}, {'W', 0x11, false, 'w', 'W'}, {'X', 0x2D, false, 'x', 'X'},
    {'Y', 0x15, false, 'y', 'Y'}, {'Z', 0x2C, false, 'z', 'Z'},
    // The digit row.
    {'1', 0x02, false, '1', '!'}, {'2', 0x03, false, '2', '@'}, {'3', 0x04, false, '3', '#'},
    {'4', 0x05, false, '4', '$'}, {'5', 0x06, false, '5', '%'}, {'6', 0x07, false, '6', '^'},
    {'7', 0x08, false, '7', '&'}, {'8', 0x09, false, '8', '*'}, {'9', 0x0A, false, '9', '('},
    {'0', 0x0B, false, '0', ')'},
    // Punctuation (Win32's VK_OEM_* codes).
    {0xBD, 0x0C, false, '-', '_'}, {0xBB, 0x0D, false, '=', '+'}, {0xDB, 0x1A, false, '[', '{'},
    {0xDD, 0x1B, false, ']', '}'}, {0xBA, 0x27, false, ';', ':'}, {0xDE, 0x28, false, '\'', '"'},
    {0xC0, 0x29, false, '`', '~'}, {0xDC, 0x2B, false, '\\', '|'}, {0xBC, 0x33, false, ',', '<'},
    {0xBE, 0x34, false, '.', '>'}, {0xBF, 0x35, false, '/', '?'},
    // Keys that type a control character.
    {VK_SPACE, 0x39, false, ' ', ' '}, {VK_RETURN, 0x1C, false, '\r', '\r'},
    {VK_BACK, 0x0E, false, '\b', '\b'}, {VK_TAB, 0x0F, false, '\t', '\t'},
    {VK_ESCAPE, 0x01, false, 27, 27},
    // Modifiers.
    {VK_CONTROL, 0x1D, false, 0, 0}, {VK_SHIFT, 0x2A, false, 0, 0}, {VK_MENU, 0x38, false, 0, 0},
    // The keypad with Num Lock on: digits type with or without Shift.
    {0x60, 0x52, false, '0', '0'}, {0x61, 0x4F, false, '1', '1'}, {0x62, 0x50, false, '2', '2'},
    {0x63, 0x51, false, '3', '3'}, {0x64, 0x4B, false, '4', '4'}, {0x65, 0x4C, false, '5', '5'},
    {0x66, 0x4D, false, '6', '6'}, {0x67, 0x47, false, '7', '7'}, {0x68, 0x48, false, '8', '8'},
    {0x69, 0x49, false, '9', '9'}, {0x6A, 0x37, false, '*', '*'}, {0x6B, 0x4E, false, '+', '+'},
    {0x6D, 0x4A, false, '-', '-'}, {0x6E, 0x53, false, '.', '.'}, {0x6F, 0x35, true, '/', '/'},
    {0x0C, 0x4C, false, 0, 0},  // keypad 5 with Num Lock off
    // Navigation: the extended block.
    {VK_HOME, 0x47, true, 0, 0}, {VK_UP, 0x48, true, 0, 0}, {VK_PRIOR, 0x49, true, 0, 0},
    {VK_LEFT, 0x4B, true, 0, 0}, {VK_RIGHT, 0x4D, true, 0, 0}, {VK_END, 0x4F, true, 0, 0},
    {VK_DOWN, 0x50, true, 0, 0}, {VK_NEXT, 0x51, true, 0, 0}, {VK_INSERT, 0x52, true, 0, 0},
    {VK_DELETE, 0x53, true, 0, 0},
    // Function keys.
    {VK_F1, 0x3B, false, 0, 0}, {VK_F1 + 1, 0x3C, false, 0, 0}, {VK_F1 + 2, 0x3D, false, 0, 0},
    {VK_F1 + 3, 0x3E, false, 0, 0}, {VK_F1 + 4, 0x3F, false, 0, 0}, {VK_F1 + 5, 0x40, false, 0, 0},
    {VK_F1 + 6, 0x41, false, 0, 0}, {VK_F1 + 7, 0x42, false, 0, 0}, {VK_F1 + 8, 0x43, false, 0, 0},
    {VK_F1 + 9, 0x44, false, 0, 0}, {VK_F1 + 10, 0x57, false, 0, 0}, {VK_F1 + 11, 0x58, false, 0, 0},
};

}  // namespace

const Key *find(int vk) {
  for (const Key &k : kKeys)
    if (k.vk == vk) return &k;
  return nullptr;
}

unsigned char character(int vk, bool shift, bool ctrl) {
  if (ctrl) return vk >= 'A' && vk <= 'Z' ? static_cast<unsigned char>(vk - 'A' + 1) : 0;
  const Key *k = find(vk);
  if (k == nullptr) return 0;
  return shift ? k->shifted : k->plain;
}

const Key *typing(unsigned char ch, bool *shift) {
  *shift = false;
  if (ch == 0) return nullptr;
  for (const Key &k : kKeys) {
    if (k.plain == ch) return &k;
    if (k.shifted == ch) {
      *shift = true;
      return &k;
    }
  }
  return nullptr;
}

bool needs_shift(unsigned char ch) {
  bool shift = false;
  typing(ch, &shift);
  return shift;
}

}  // namespace winport::keyboard
