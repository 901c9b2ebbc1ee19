// xtool — the few X11 operations the real-window tests need beyond xdotool.
//
//   xvfb_xtool close WINDOW             ask WINDOW to close, as a window manager's close box does
//                                       (WM_DELETE_WINDOW; xdotool windowclose destroys it instead)
//   xvfb_xtool shot FILE                save the whole screen as a binary PPM
//   xvfb_xtool stats FILE X Y W H       describe a rectangle of a PPM: its pixel count, its most
//                                       common colour and how many pixels of it, and how many dark
//                                       pixels (all channels below 0x60)
// WINDOW is an X window id as xdotool prints it. Exit status 0 on success, 1 with a message otherwise.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

int fail(const std::string &message) {
  std::fprintf(stderr, "xvfb_xtool: %s\n", message.c_str());
  return 1;
}

Display *open_display() {
  Display *display = XOpenDisplay(nullptr);
  if (display == nullptr) std::fprintf(stderr, "xvfb_xtool: cannot open display '%s'\n", XDisplayName(nullptr));
  return display;
}

int close_window(Window window) {
  Display *display = open_display();
  if (display == nullptr) return 1;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
  return 0;
}

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

int shot(const char *path) {
  Display *display = open_display();
  if (display == nullptr) return 1;
  Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);
  XImage *image = XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
  if (image == nullptr) return fail("cannot read the screen");
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << image->width << " " << image->height << "\n255\n";
  for (int y = 0; y < image->height; ++y)
    for (int x = 0; x < image->width; ++x) {
      unsigned long p = XGetPixel(image, x, y);
      // A 24-bit TrueColor screen: red, green, blue in the masks' byte positions.
      char rgb[3] = {static_cast<char>((p & image->red_mask) >> 16), static_cast<char>((p & image->green_mask) >> 8),
                     static_cast<char>(p & image->blue_mask)};
      out.write(rgb, 3);
    }
  XDestroyImage(image);
  XCloseDisplay(display);
  return out ? 0 : fail(std::string("cannot write ") + path);
}

bool read_ppm(const char *path, Image &image) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int max = 0;
  in >> magic >> image.width >> image.height >> max;
  in.get();
  if (!in || magic != "P6" || max != 255 || image.width <= 0 || image.height <= 0) return false;
  image.rgb.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3);
  in.read(reinterpret_cast<char *>(image.rgb.data()), static_cast<std::streamsize>(image.rgb.size()));
  return static_cast<bool>(in);
}

int stats(const char *path, int x0, int y0, int w, int h) {
  Image image;
  if (!read_ppm(path, image)) return fail(std::string("cannot read ") + path);
  if (x0 < 0 || y0 < 0 || w <= 0 || h <= 0 || x0 + w > image.width || y0 + h > image.height)
    return fail("rectangle outside the image");
  std::map<uint32_t, long> counts;
  long dark = 0;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) {
      const uint8_t *p = &image.rgb[(static_cast<size_t>(y) * static_cast<size_t>(image.width) + x) * 3];
      ++counts[(uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]];
      if (p[0] < 0x60 && p[1] < 0x60 && p[2] < 0x60) ++dark;
    }
  auto common = counts.begin();
  for (auto it = counts.begin(); it != counts.end(); ++it)
    if (it->second > common->second) common = it;
  std::printf("pixels %ld common %06X %ld dark %ld\n", static_cast<long>(w) * h, common->first, common->second, dark);
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc == 3 && std::strcmp(argv[1], "close") == 0) return close_window(std::strtoul(argv[2], nullptr, 0));
  if (argc == 3 && std::strcmp(argv[1], "shot") == 0) return shot(argv[2]);
  if (argc == 7 && std::strcmp(argv[1], "stats") == 0)
    return stats(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]));
  return fail("usage: xvfb_xtool close WINDOW | shot FILE | stats FILE X Y W H");
}
