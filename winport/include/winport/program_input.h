// winport/program_input.h — for programs that feed themselves input (a script played back).
//
// Not part of Win32: a program built on winport calls it where it takes an event of its own making
// instead of waiting for the user. On the headless display such an event is input: the idle limit
// counts from it, and the look at the empty queue that the program made just before it lets no
// virtual time pass, so a script of any length plays to its end in the same virtual instant. On a
// real screen it does nothing.
#pragma once

namespace winport {

void program_input();

}  // namespace winport
