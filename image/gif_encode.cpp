// gif_encode.cpp — GIF89a animations: a palette per file (or per frame when it must), LZW per frame.
//
// The file is the header, the logical screen with the global palette, the loop block, then per
// frame a graphic control block (its delay; the frame stays in place under the next), the image
// descriptor of the box that changed (with a palette of its own when the global one cannot hold its
// colours) and its LZW data in blocks of at most 255 bytes. The global palette grows as frames bring
// new colours, so it is written in front of the frames only when the file is finished.
#include "animation.h"
#include "png_parts.h"

#include <algorithm>
#include <array>

namespace img {
namespace {

void put16(std::vector<uint8_t> *out, int v) {
  out->push_back(static_cast<uint8_t>(v & 0xFF));
  out->push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

// Colours to palette indices: open addressing over 1024 slots (four times the most colours), with the
// colour looked up last kept aside, since canvas pixels come in long runs of one colour.
class ColourIndex {
 public:
  explicit ColourIndex(std::vector<uint32_t> *palette) : palette_(palette) {
    slots_.fill(kEmpty);
    for (size_t i = 0; i < palette->size(); ++i) insert((*palette)[i], static_cast<uint8_t>(i));
  }
  // The colour's index, added to the palette when it is new and there is room; -1 when there is none.
  int find_or_add(uint32_t colour) {
    if (colour == last_) return last_index_;
    size_t slot = hash(colour);
    while (slots_[slot] != kEmpty && slots_[slot] != colour) slot = (slot + 1) & (kSlots - 1);
    if (slots_[slot] == kEmpty) {
      if (palette_->size() == 256) return -1;
      palette_->push_back(colour);
      slots_[slot] = colour;
      indices_[slot] = static_cast<uint8_t>(palette_->size() - 1);
    }
    last_ = colour;
    last_index_ = indices_[slot];
    return last_index_;
  }

 private:
  static constexpr size_t kSlots = 1024;
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;  // no colour: colours have their high byte clear
  static size_t hash(uint32_t colour) { return (colour * 2654435761u) >> 22; }
  void insert(uint32_t colour, uint8_t index) {
    size_t slot = hash(colour);
    while (slots_[slot] != kEmpty) slot = (slot + 1) & (kSlots - 1);
    slots_[slot] = colour;
    indices_[slot] = index;
  }
  std::vector<uint32_t> *palette_;
  std::array<uint32_t, kSlots> slots_;
  std::array<uint8_t, kSlots> indices_{};
  uint32_t last_ = kEmpty;
  int last_index_ = 0;
};

// The palette indices of a box of pixels; false when `palette` cannot take all its colours.
bool index_box(const uint32_t *pixels, int stride, const Box &box, std::vector<uint32_t> *palette,
               std::vector<uint8_t> *indices) {
  ColourIndex colours(palette);
  indices->clear();
  for (int y = box.top; y < box.bottom; ++y) {
    const uint32_t *row = pixels + static_cast<size_t>(y) * stride;
    for (int x = box.left; x < box.right; ++x) {
      const int index = colours.find_or_add(row[x] & 0xFFFFFF);
      if (index < 0) return false;
      indices->push_back(static_cast<uint8_t>(index));
    }
  }
  return true;
}

// The bits of a palette of n colours: the table holds 2^bits entries, at least 2.
int table_bits(size_t n) {
  int bits = 1;
  while ((size_t{1} << bits) < n) ++bits;
  return bits;
}

void put_palette(std::vector<uint8_t> *out, const std::vector<uint32_t> &palette) {
  const size_t entries = size_t{1} << table_bits(palette.size());
  for (size_t i = 0; i < entries; ++i) {
    const uint32_t c = i < palette.size() ? palette[i] : 0;
    out->insert(out->end(), {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)});
  }
}

// Codes written least significant bit first, gathered in blocks of at most 255 bytes, each after its
// length, and a block of 0 bytes at the end.
class CodeWriter {
 public:
  explicit CodeWriter(std::vector<uint8_t> *out) : out_(out) {}
  void put(int code, int bits) {
    acc_ |= static_cast<uint32_t>(code) << used_;
    for (used_ += bits; used_ >= 8; used_ -= 8, acc_ >>= 8) byte(static_cast<uint8_t>(acc_));
  }
  void finish() {
    if (used_ > 0) byte(static_cast<uint8_t>(acc_));
    if (count_ > 0) (*out_)[length_at_] = static_cast<uint8_t>(count_);
    out_->push_back(0);
  }

 private:
  void byte(uint8_t b) {
    if (count_ == 0 || count_ == 255) {
      if (count_ == 255) (*out_)[length_at_] = 255;
      length_at_ = out_->size();
      out_->push_back(0);
      count_ = 0;
    }
    out_->push_back(b);
    ++count_;
  }
  std::vector<uint8_t> *out_;
  uint32_t acc_ = 0;
  int used_ = 0, count_ = 0;
  size_t length_at_ = 0;
};

// The LZW data of `indices` (all below 2^min_bits). A string is known by its code; the table maps
// (code of a string, next index) to the code of the longer string, hashed over 8192 slots. The code
// width grows when the next code would not fit, as a decoder, one code behind, expects; when the 4096
// codes are used up the table is cleared.
void lzw(const std::vector<uint8_t> &indices, int min_bits, std::vector<uint8_t> *out) {
  constexpr int kMaxCodes = 4096, kSlots = 8192;
  const int clear = 1 << min_bits, end = clear + 1;
  std::vector<int32_t> keys(kSlots, -1);
  std::vector<int16_t> codes(kSlots);
  CodeWriter writer(out);
  int width = min_bits + 1, next = end + 1;
  writer.put(clear, width);
  int prefix = indices.empty() ? 0 : indices[0];
  for (size_t i = 1; i < indices.size(); ++i) {
    const int32_t key = prefix << 8 | indices[i];
    size_t slot = (static_cast<uint32_t>(key) * 2654435761u) >> 19;
    while (keys[slot] != -1 && keys[slot] != key) slot = (slot + 1) & (kSlots - 1);
    if (keys[slot] == key) {
      prefix = codes[slot];
      continue;
    }
    writer.put(prefix, width);
    keys[slot] = key;
    codes[slot] = static_cast<int16_t>(next++);
    if (next > (1 << width) && width < 12) ++width;
    if (next == kMaxCodes) {
      writer.put(clear, width);
      std::fill(keys.begin(), keys.end(), -1);
      width = min_bits + 1;
      next = end + 1;
    }
    prefix = indices[i];
  }
  writer.put(prefix, width);
  if (next >= (1 << width) && width < 12) ++width;  // the decoder adds an entry on the last code too
  writer.put(end, width);
  writer.finish();
}

}  // namespace

bool GifEncoder::add(const uint32_t *pixels, int w, int h, int stride, int delay_ms) {
  if (!error_.empty()) return false;
  if (pixels == nullptr || w <= 0 || h <= 0 || stride < w || w > 65535 || h > 65535 ||
      (frames_ > 0 && (w != width_ || h != height_))) {
    error_ = "no pixels, or another size than the first frame";
    return false;
  }
  Box box{0, 0, w, h};
  if (frames_ > 0) {
    box = changed_box(pixels, stride, previous_.data(), w, w, h);
    if (box.right == box.left) box = Box{0, 0, 1, 1};
  }
  width_ = w;
  height_ = h;
  if (!encode(pixels, stride, box, delay_ms)) return false;
  png::keep_frame(&previous_, pixels, w, h, stride);
  ++frames_;
  return true;
}

bool GifEncoder::encode(const uint32_t *pixels, int stride, const Box &box, int delay_ms) {
  std::vector<uint8_t> indices;
  std::vector<uint32_t> local;
  const bool global = index_box(pixels, stride, box, &palette_, &indices);
  if (!global && !index_box(pixels, stride, box, &local, &indices)) {
    error_ = "more than 256 colours where it changed (a GIF frame holds at most 256)";
    return false;
  }
  const int centiseconds = std::clamp((delay_ms + 5) / 10, 0, 65535);
  body_.insert(body_.end(), {0x21, 0xF9, 4, 1 << 2});  // graphic control: the frame is left in place
  put16(&body_, centiseconds);
  body_.insert(body_.end(), {0, 0});                   // no transparent colour; end of block
  body_.push_back(0x2C);
  for (int v : {box.left, box.top, box.right - box.left, box.bottom - box.top}) put16(&body_, v);
  const std::vector<uint32_t> &palette = global ? palette_ : local;
  body_.push_back(global ? 0 : static_cast<uint8_t>(0x80 | (table_bits(local.size()) - 1)));
  if (!global) put_palette(&body_, local);
  // The codes start one bit wider than the largest index needs (at least 2 bits, as GIF requires).
  const int min_bits = std::max(2, table_bits(palette.size()));
  body_.push_back(static_cast<uint8_t>(min_bits));
  lzw(indices, min_bits, &body_);
  return true;
}

std::vector<uint8_t> GifEncoder::finish() {
  if (frames_ == 0 || !error_.empty()) return {};
  std::vector<uint8_t> file = {'G', 'I', 'F', '8', '9', 'a'};
  put16(&file, width_);
  put16(&file, height_);
  const std::vector<uint32_t> palette = palette_.empty() ? std::vector<uint32_t>{0} : palette_;
  file.push_back(static_cast<uint8_t>(0xF0 | (table_bits(palette.size()) - 1)));  // global palette, 8-bit colour
  file.insert(file.end(), {0, 0});  // background colour, aspect ratio
  put_palette(&file, palette);
  static const char loop[] = "\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00";  // loop forever
  file.insert(file.end(), loop, loop + sizeof loop - 1);
  file.insert(file.end(), body_.begin(), body_.end());
  file.push_back(0x3B);
  return file;
}

}  // namespace img
