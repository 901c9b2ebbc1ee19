// describe.cpp — the canvas after an event, in words, from the drawing records of a draw log.
//
// The drawing calls since the last clear (or the last filled rectangle over the whole canvas) are
// the canvas; each becomes a phrase ("a blue circle of radius 20") and a box in logical
// coordinates, and the boxes decide where it is in words, whether it lies off the canvas, and
// whether a later filled rectangle paints over all of it. The canvas is built call by call and
// keeps only what its description can still say, so a page can describe a run as it goes.
#include "describe.h"

#include <algorithm>
#include <cctype>
#include <memory>

namespace check {
namespace {

// The canvas in logical coordinates, both ends included: the origin at its centre, y up.
constexpr long kLeft = -297, kRight = 303, kBottom = -291, kTop = 248;

struct Box {
  long left, top, right, bottom; // all included; top >= bottom

  bool contains(const Box &b) const {
    return left <= b.left && b.right <= right && bottom <= b.bottom && b.top <= top;
  }
  bool off_canvas() const { return right < kLeft || left > kRight || top < kBottom || bottom > kTop; }
};

struct Shape {
  std::string phrase; // "a blue circle of radius 20", without a capital or a full stop
  Box box;
  bool text = false;
  bool covers = false; // a filled rectangle: it paints over everything inside its box
};

long field(const Json &drawn, const char *name) {
  const Json &v = drawn.value(name, Json());
  return v.is_number_integer() ? v.get<long>() : 0;
}

// "a" or "an" before a colour name.
std::string a(const std::string &colour) {
  return (!colour.empty() && std::string("aeiou").find(colour[0]) != std::string::npos ? "an " : "a ") + colour;
}

std::string point(long x, long y) {
  std::string out = "(";
  out += std::to_string(x);
  out += ',';
  out += std::to_string(y);
  out += ')';
  return out;
}

std::string size_words(const Box &b) {
  return std::to_string(b.right - b.left) + " wide and " + std::to_string(b.top - b.bottom) + " high";
}

// Rectangles and ovals: their corners come ordered (x1 <= x2, y1 >= y2); width 0 fills them.
Shape boxed(const std::string &colour, const std::string &kind, const Json &d) {
  Shape s;
  s.box = {field(d, "x1"), field(d, "y1"), field(d, "x2"), field(d, "y2")};
  bool filled = field(d, "width") == 0;
  s.phrase = a(colour) + (filled ? " filled " : " outlined ") + kind + " " + size_words(s.box);
  s.covers = filled && kind == "rectangle";
  return s;
}

Shape cornered(const std::string &colour, const std::string &kind, const Json &d) {
  long xs[3] = {field(d, "x1"), field(d, "x2"), field(d, "x3")};
  long ys[3] = {field(d, "y1"), field(d, "y2"), field(d, "y3")};
  int n = kind == "line" ? 2 : 3;
  Shape s;
  s.box = {*std::min_element(xs, xs + n), *std::max_element(ys, ys + n), *std::max_element(xs, xs + n),
           *std::min_element(ys, ys + n)};
  if (n == 2) s.phrase = a(colour) + " line from " + point(xs[0], ys[0]) + " to " + point(xs[1], ys[1]);
  else
    s.phrase = a(colour) + (field(d, "width") == 0 ? " filled" : " outlined") + " triangle with corners " +
               point(xs[0], ys[0]) + ", " + point(xs[1], ys[1]) + " and " + point(xs[2], ys[2]);
  return s;
}

// Text: its lower-left corner at (x, y), each line `ptsize` high and 3/2 of it apart. Glyph widths
// belong to the platform's font; half the height a character is close enough to tell where the
// text is and whether a rectangle drawn over it hides it.
bool texted(const std::string &colour, const Json &d, Shape *s) {
  const Json &t = d.value("text", Json());
  std::string text = t.is_string() ? t.get<std::string>() : "";
  if (text.empty()) return false;
  long p = field(d, "ptsize"), lines = 1, longest = 0, run = 0;
  for (char c : text) {
    run = c == '\n' ? 0 : run + 1;
    lines += c == '\n';
    longest = std::max(longest, run);
  }
  long x = field(d, "x"), y = field(d, "y");
  s->box = {x, y + p - 1, x + std::max(longest * p / 2 - 1, 0L), y - (lines - 1) * (3 * p / 2)};
  std::replace(text.begin(), text.end(), '\n', ' ');
  s->phrase = "the " + colour + " text \"" + text + "\"";
  s->text = true;
  return true;
}

// shape_of: the shape a drawing call left; false for a call that leaves nothing (an empty text).
bool shape_of(const Json &record, Shape *s) {
  std::string kind = record.value("draw", std::string());
  std::string colour = record.value("color_name", std::string("unknown"));
  const Json d = record.value("drawn", Json::object());
  if (kind == "rectangle" || kind == "oval") *s = boxed(colour, kind, d);
  else if (kind == "line" || kind == "triangle") *s = cornered(colour, kind, d);
  else if (kind == "text" || kind == "printf") return texted(colour, d, s);
  else if (kind == "circle") {
    long x = field(d, "x"), y = field(d, "y"), r = field(d, "radius");
    s->box = {x - r, y + r, x + r, y - r};
    s->phrase = a(colour) + " circle of radius " + std::to_string(r);
  } else return false;
  return true;
}

// Where a box on the canvas is, by its centre in a grid of three by three.
std::string where_on(const Box &b) {
  long x = (b.left + b.right) / 2, y = (b.top + b.bottom) / 2;
  int column = x < -97 ? 0 : x > 103 ? 2 : 1, row = y > 68 ? 0 : y < -112 ? 2 : 1;
  static const char *const kWords[3][3] = {{"near the top left", "near the top", "near the top right"},
                                           {"on the left", "in the centre", "on the right"},
                                           {"near the bottom left", "near the bottom", "near the bottom right"}};
  return kWords[row][column];
}

std::string where_off(const Box &b) {
  std::string v = b.bottom > kTop ? "above" : b.top < kBottom ? "below" : "";
  std::string h = b.right < kLeft ? "left of" : b.left > kRight ? "right of" : "";
  if (!v.empty() && !h.empty()) return v + " and " + h + " the canvas";
  return (v.empty() ? h : v) + " the canvas";
}

std::string event_words(const Json &e) {
  std::string kind = e.value("kind", std::string());
  if (kind == "mouse") return "a mouse click at " + point(field(e, "x"), field(e, "y"));
  if (kind == "periodic") return "a timer tick";
  if (kind == "quit") return "quit";
  long key = field(e, "key");
  if (key == ' ') return "the space key";
  if (key > ' ' && key < 127) return "the key " + std::string(1, static_cast<char>(key));
  return "the key with code " + std::to_string(key);
}

std::string sentence(const std::string &words) {
  std::string out = words;
  if (!out.empty()) out[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(out[0])));
  return out + ".\n";
}

// Lines that say the same thing again and again (a scene redrawn each frame under its background)
// are said once, with how many times, where the first of them was drawn.
struct Tally {
  struct Line {
    size_t first; // the drawing order of its first shape
    std::string words;
    int times;
  };
  std::vector<Line> lines;

  void add(size_t order, const std::string &words) {
    auto it = std::find_if(lines.begin(), lines.end(), [&](const Line &line) { return line.words == words; });
    if (it == lines.end()) lines.push_back({order, words, 1});
    else {
      it->first = std::min(it->first, order);
      ++it->times;
    }
  }
  std::string text() const {
    std::vector<Line> sorted = lines;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Line &a, const Line &b) { return a.first < b.first; });
    std::string out;
    for (const Line &line : sorted)
      out += sentence(line.times == 1 ? line.words : line.words + " (" + std::to_string(line.times) + " times)");
    return out;
  }
};

std::string count(size_t n, const char *what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string summary(long event, const Json &said, size_t shapes, size_t texts) {
  std::string when = event == 0 ? "Before the first event" : "After event " + std::to_string(event) + " (" +
                                                                 event_words(said) + ")";
  std::string what = shapes && texts ? count(shapes, "shape") + " and " + count(texts, "text")
                     : shapes        ? count(shapes, "shape")
                     : texts         ? count(texts, "text")
                                     : "nothing";
  return when + ", the canvas shows " + what + ".\n";
}

// The canvas drawn so far, kept as a description needs it: the shapes still in sight in drawing
// order; the lines of those off the canvas, and of those a later filled rectangle paints over
// (once painted over, a shape stays hidden, behind the first rectangle that covered it).
class Canvas {
public:
  void draw(const Json &record) {
    Shape s;
    if (record.value("draw", std::string()) == "clear") *this = Canvas();
    else if (shape_of(record, &s)) {
      // What covers the whole canvas leaves nothing before it to see.
      if (s.covers && s.box.contains({kLeft, kTop, kRight, kBottom})) *this = Canvas();
      add(s);
    }
  }
  std::string text(long event, const Json &said) const {
    std::string seen;
    size_t texts = 0;
    for (const auto &[order, s] : shown) {
      seen += sentence(s.phrase + ", " + where_on(s.box));
      texts += s.text;
    }
    return summary(event, said, shown.size() - texts, texts) + seen + off.text() + hidden.text();
  }

private:
  std::vector<std::pair<size_t, Shape>> shown;
  Tally off, hidden;
  size_t drawn = 0;

  void add(const Shape &s) {
    const size_t order = drawn++;
    if (s.covers) {
      auto covered = [&](const auto &earlier) {
        if (!s.box.contains(earlier.second.box)) return false;
        const Shape &e = earlier.second;
        hidden.add(earlier.first, "hidden behind " + s.phrase + ": " + e.phrase + ", " + where_on(e.box));
        return true;
      };
      shown.erase(std::remove_if(shown.begin(), shown.end(), covered), shown.end());
    }
    if (s.box.off_canvas()) off.add(order, "not visible: " + s.phrase + ", " + where_off(s.box));
    else shown.push_back({order, s});
  }
};

} // namespace

struct CanvasWords::State {
  Canvas canvas;
  long event = 0;
  Json said;
  bool framed = false; // the event's frame is taken: drawing after it is not the event's
};

CanvasWords::CanvasWords() : state_(std::make_unique<State>()) {}
CanvasWords::~CanvasWords() = default;

void CanvasWords::add(const Record &r) {
  State &s = *state_;
  if (r.kind == "event") {
    s.event = field(r.value, "event");
    s.said = r.value;
    s.framed = false;
  } else if (r.kind == "frame" && field(r.value, "frame") == s.event) s.framed = true;
  else if (r.kind == "draw" && !s.framed) s.canvas.draw(r.value);
}

std::string CanvasWords::text() const { return state_->canvas.text(state_->event, state_->said); }

// The records up to event `event`'s frame make the canvas; `event` -1 is the last event of the log.
bool describe_canvas(const std::vector<Record> &records, long event, std::string *text, std::string *reason) {
  if (event < 0) {
    event = 0;
    for (const Record &r : records)
      if (r.kind == "event") event = std::max(event, field(r.value, "event"));
  }
  bool found = event == 0;
  Canvas canvas;
  Json said;
  for (const Record &r : records) {
    if (r.kind == "event" && field(r.value, "event") > event) break;
    if (r.kind == "frame" && field(r.value, "frame") == event && found) break;
    if (r.kind == "event" && field(r.value, "event") == event) {
      found = true;
      said = r.value;
    }
    if (r.kind == "draw") canvas.draw(r.value);
  }
  if (!found) {
    *reason = "the log has no event " + std::to_string(event);
    return false;
  }
  *text = canvas.text(event, said);
  return true;
}

} // namespace check
