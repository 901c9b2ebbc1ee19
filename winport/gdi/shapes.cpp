// shapes.cpp — placeholder entry points until the rasteriser lands; they draw nothing yet.
#include "gdi/objects.h"

extern "C" {
BOOL WINAPI Rectangle(HDC, int, int, int, int) { return FALSE; }
BOOL WINAPI Ellipse(HDC, int, int, int, int) { return FALSE; }
BOOL WINAPI Polygon(HDC, const POINT *, int) { return FALSE; }
BOOL WINAPI LineTo(HDC, int, int) { return FALSE; }
int WINAPI FillRect(HDC, const RECT *, HBRUSH) { return 0; }
BOOL WINAPI BitBlt(HDC, int, int, int, int, HDC, int, int, DWORD) { return FALSE; }
BOOL WINAPI ScrollDC(HDC, int, int, const RECT *, const RECT *, HRGN, LPRECT) { return FALSE; }
}
