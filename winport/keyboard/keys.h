// keys.h — the US keyboard, once: virtual key, scan code, and the characters a key types.
//
// Displays turn what their system reports into virtual keys through it, USER32 takes scan codes
// (key messages' lParam) and TranslateMessage's characters from it, and scripted input asks it
// whether a character needs Shift. It depends on nothing but the virtual-key constants, so a
// display may include it without including USER32.
#pragma once

namespace winport::keyboard {

struct Key {
  int vk;                 // Win32 virtual-key code
  unsigned char scan;     // set 1 scan code
  bool extended;          // an extended key: the arrows, the block above them, keypad divide
  unsigned char plain;    // the character typed without Shift (0: none)
  unsigned char shifted;  // the character typed with Shift
};

// The key with this virtual-key code; null for a key the table does not know.
const Key *find(int vk);

// The character a key-down types with these modifiers: Ctrl turns a letter into its control code
// (1 to 26) and makes every other key type nothing. 0 for a key that types nothing.
unsigned char character(int vk, bool shift, bool ctrl);

// The key of the main block that types `ch`, and in *shift whether Shift must be held for it;
// null (and *shift false) when no key types it.
const Key *typing(unsigned char ch, bool *shift);

// Whether Shift must be held to type `ch`.
bool needs_shift(unsigned char ch);

}  // namespace winport::keyboard
