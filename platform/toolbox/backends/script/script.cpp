// The script backend: input read from a text script, one command a line.
//
//   mouse-down X Y [mods]   mouse-drag X Y   mouse-up X Y   click X Y [mods]
//   key return|escape|SPACE|<one character>          command 'XXXX'
//   click-control SIG N [mods]    set-slider SIG N VALUE    choose-item SIG N ITEM
//   drag X1 Y1 X2 Y2 [mods] [steps K]
//   drag-control SIG N FX1 FY1 FX2 FY2 [mods] [steps K]   (fractions 0..1 of the bounds)
//   snapshot FILE.png    expect-value SIG N VALUE    expect-text SIG N "TEXT"
//   expect-visible SIG N yes|no    expect-window NAME    log "TEXT"
//
// mods: shift option command control. SIG is four characters, quoted 'ok  '
// when it holds blanks. Coordinates are local to the front window. Lines run
// only when the toolkit asks for input, so an expectation sees the state left
// by everything before it. A bad line or a failed expectation stops the run
// ("file:line: fault" on the log); from then on, and when the script ends,
// there is no more input, and modal loops end by the end-of-input rule.
#include <cmath>
#include <deque>
#include <fstream>

#include "../../paint.h"
#include "../../toolkit.h"

namespace zv::tk {
namespace {

struct LineFault {
  std::string what;
};

std::vector<std::string> Tokenize(const std::string &line) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < line.size()) {
    char ch = line[i];
    if (ch == ' ' || ch == '\t' || ch == '\r') {
      ++i;
    } else if (ch == '#') {
      break;
    } else if (ch == '\'') {
      size_t end = line.find('\'', i + 1);
      if (end == std::string::npos) throw LineFault{"unterminated '"};
      out.push_back(line.substr(i, end - i + 1));
      i = end + 1;
    } else if (ch == '"') {
      std::string s = "\"";
      for (++i;; ++i) {
        if (i >= line.size()) throw LineFault{"unterminated \""};
        if (line[i] == '\\' && i + 1 < line.size()) {
          s += line[++i];
        } else if (line[i] == '"') {
          ++i;
          break;
        } else {
          s += line[i];
        }
      }
      out.push_back(s);
    } else {
      size_t end = line.find_first_of(" \t\r", i);
      out.push_back(line.substr(i, end == std::string::npos ? std::string::npos : end - i));
      i = end == std::string::npos ? line.size() : end;
    }
  }
  return out;
}

class ScriptBackend : public Backend {
public:
  ScriptBackend(std::string path, std::vector<std::string> lines, FILE *log)
      : path_(std::move(path)), lines_(std::move(lines)), log_(log) {}

  Input next() override {
    while (queue_.empty()) {
      if (stopped_ || next_ >= lines_.size()) {
        stopped_ = true;
        return Input{};
      }
      size_t number = next_++;
      try {
        run(Tokenize(lines_[number]));
      } catch (const LineFault &f) {
        std::fprintf(log_, "%s:%zu: %s\n", path_.c_str(), number + 1, f.what.c_str());
        std::fflush(log_);
        ReportFailure(f.what);
        stopped_ = true;
        queue_.clear();
      }
    }
    Input in = queue_.front();
    queue_.pop_front();
    return in;
  }

  OSStatus openDocument(const std::string &path) override {
    std::fprintf(log_, "open-document %s\n", path.c_str());
    std::fflush(log_);
    return noErr;
  }

  void finish() override {
    for (size_t i = next_; i < lines_.size() && !stopped_; ++i) {
      if (Tokenize(lines_[i]).empty()) continue;
      std::fprintf(log_, "%s:%zu: the program ended before this line ran\n", path_.c_str(), i + 1);
      std::fflush(log_);
      ReportFailure("unfinished script");
      break;
    }
  }

  bool scripted() const override { return true; }

private:
  using Args = std::vector<std::string>;

  static long Integer(const std::string &s) {
    size_t used = 0;
    long v = 0;
    try {
      v = std::stol(s, &used);
    } catch (...) {
      used = 0;
    }
    if (used == 0 || used != s.size()) throw LineFault{"not a whole number: " + s};
    return v;
  }
  static double Fraction(const std::string &s) {
    size_t used = 0;
    double v = 0;
    try {
      v = std::stod(s, &used);
    } catch (...) {
      used = 0;
    }
    if (used == 0 || used != s.size() || !(v >= 0 && v <= 1)) throw LineFault{"not a fraction from 0 to 1: " + s};
    return v;
  }
  static std::string Quoted(const std::string &s) {
    if (s.empty() || s.front() != '"') throw LineFault{"expected a quoted text, found " + s};
    return s.substr(1);  // the tokenizer keeps the opening quote only
  }
  static OSType Signature(const std::string &s) {
    std::string code = s.size() == 6 && s.front() == '\'' && s.back() == '\'' ? s.substr(1, 4) : s;
    if (code.size() != 4 || code.front() == '\'') throw LineFault{"a signature is four characters, not " + s};
    return ZV_FOURCC(code[0], code[1], code[2], code[3]);
  }

  // Optional trailing words: modifiers and "steps K".
  static void Options(const Args &a, size_t from, UInt32 &mods, int *steps) {
    for (size_t i = from; i < a.size(); ++i) {
      if (a[i] == "shift") mods |= shiftKey;
      else if (a[i] == "option") mods |= optionKey;
      else if (a[i] == "command") mods |= cmdKey;
      else if (a[i] == "control") mods |= controlKey;
      else if (a[i] == "steps" && steps && i + 1 < a.size()) {
        long k = Integer(a[++i]);
        if (k < 1 || k > 1000) throw LineFault{"steps must be 1 to 1000"};
        *steps = static_cast<int>(k);
      } else {
        throw LineFault{"unexpected word: " + a[i]};
      }
    }
  }

  static void Count(const Args &a, size_t least, size_t most) {
    if (a.size() - 1 < least || a.size() - 1 > most)
      throw LineFault{a[0] + " takes " + (least == most ? std::to_string(least) : std::to_string(least) + " to " + std::to_string(most)) +
                      " arguments, not " + std::to_string(a.size() - 1)};
  }

  Window &front() {
    Window *w = Front();
    if (!w) throw LineFault{"no window is shown"};
    return *w;
  }

  Control &control(const Args &a, size_t at, bool usable) {
    Window &w = front();
    OSType sig = Signature(a[at]);
    long number = Integer(a[at + 1]);
    Control *c = FindControl(w, sig, static_cast<SInt32>(number));
    if (!c) throw LineFault{"no control " + FourCC(sig) + " " + std::to_string(number) + " in window " + w.name};
    if (usable && (!c->visible || !c->enabled))
      throw LineFault{"control " + FourCC(sig) + " " + std::to_string(number) + " is " + (c->visible ? "disabled" : "hidden")};
    return *c;
  }

  void mouse(InputKind kind, double x, double y, UInt32 mods) {
    Input in;
    in.kind = kind;
    in.x = x;
    in.y = y;
    in.modifiers = mods;
    queue_.push_back(in);
  }

  void drag(double x1, double y1, double x2, double y2, UInt32 mods, int steps) {
    mouse(InputKind::MouseDown, x1, y1, mods);
    for (int k = 1; k <= steps; ++k) mouse(InputKind::MouseDrag, x1 + (x2 - x1) * k / steps, y1 + (y2 - y1) * k / steps, mods);
    mouse(InputKind::MouseUp, x2, y2, mods);
  }

  void run(const Args &a) {
    if (a.empty()) return;
    const std::string &cmd = a[0];
    UInt32 mods = 0;
    if (cmd == "mouse-down" || cmd == "click") {
      if (a.size() < 3) Count(a, 2, 6);
      Options(a, 3, mods, nullptr);
      front();
      double x = static_cast<double>(Integer(a[1])), y = static_cast<double>(Integer(a[2]));
      mouse(InputKind::MouseDown, x, y, mods);
      if (cmd == "click") mouse(InputKind::MouseUp, x, y, mods);
    } else if (cmd == "mouse-drag" || cmd == "mouse-up") {
      Count(a, 2, 2);
      mouse(cmd == "mouse-up" ? InputKind::MouseUp : InputKind::MouseDrag, static_cast<double>(Integer(a[1])),
            static_cast<double>(Integer(a[2])), 0);
    } else if (cmd == "key") {
      Count(a, 1, 1);
      Input in;
      in.kind = InputKind::Key;
      if (a[1] == "return") in.key = Key::Return;
      else if (a[1] == "escape") in.key = Key::Escape;
      else if (a[1] == "SPACE") in.character = ' ';
      else if (a[1].size() == 1) in.character = a[1][0];
      else throw LineFault{"unknown key: " + a[1]};
      queue_.push_back(in);
    } else if (cmd == "command") {
      Count(a, 1, 1);
      Input in;
      in.kind = InputKind::Command;
      in.command = Signature(a[1]);
      queue_.push_back(in);
    } else if (cmd == "click-control") {
      if (a.size() < 3) Count(a, 2, 6);
      Options(a, 3, mods, nullptr);
      Control &c = control(a, 1, true);
      double x = c.bounds.left + (c.bounds.right - c.bounds.left) / 2.0, y = c.bounds.top + (c.bounds.bottom - c.bounds.top) / 2.0;
      mouse(InputKind::MouseDown, x, y, mods);
      mouse(InputKind::MouseUp, x, y, mods);
    } else if (cmd == "set-slider") {
      Count(a, 3, 3);
      Control &c = control(a, 1, true);
      if (c.kind != Kind::Slider) throw LineFault{FourCC(c.id.signature) + " " + a[2] + " is not a slider"};
      long v = Integer(a[3]);
      if (v < c.minimum || v > c.maximum)
        throw LineFault{"value " + a[3] + " is outside " + std::to_string(c.minimum) + " to " + std::to_string(c.maximum)};
      double from = SliderPosition(c, c.value), to = SliderPosition(c, static_cast<SInt32>(v));
      double across = SliderHorizontal(c) ? (c.bounds.top + c.bounds.bottom) / 2.0 : (c.bounds.left + c.bounds.right) / 2.0;
      if (SliderHorizontal(c))
        drag(from, across, to, across, 0, 8);
      else
        drag(across, from, across, to, 0, 8);
    } else if (cmd == "choose-item") {
      Count(a, 3, 3);
      Control &c = control(a, 1, true);
      if (c.kind != Kind::Popup) throw LineFault{FourCC(c.id.signature) + " " + a[2] + " is not a pop-up menu"};
      long item = Integer(a[3]);
      if (item < 1 || item > static_cast<long>(c.items.size()))
        throw LineFault{"item " + a[3] + " is outside 1 to " + std::to_string(c.items.size())};
      Rect r = PopupItemRect(c, static_cast<int>(item));
      drag(c.bounds.left + (c.bounds.right - c.bounds.left) / 2.0, c.bounds.top + (c.bounds.bottom - c.bounds.top) / 2.0,
           r.left + (r.right - r.left) / 2.0, r.top + (r.bottom - r.top) / 2.0, 0, 4);
    } else if (cmd == "drag") {
      if (a.size() < 5) Count(a, 4, 10);
      int steps = 8;
      Options(a, 5, mods, &steps);
      front();
      drag(static_cast<double>(Integer(a[1])), static_cast<double>(Integer(a[2])), static_cast<double>(Integer(a[3])),
           static_cast<double>(Integer(a[4])), mods, steps);
    } else if (cmd == "drag-control") {
      if (a.size() < 7) Count(a, 6, 12);
      int steps = 8;
      Options(a, 7, mods, &steps);
      Control &c = control(a, 1, true);
      const Rect &b = c.bounds;
      auto at = [&](const std::string &fx, const std::string &fy, double &x, double &y) {
        x = b.left + Fraction(fx) * (b.right - b.left);
        y = b.top + Fraction(fy) * (b.bottom - b.top);
      };
      double x1, y1, x2, y2;
      at(a[3], a[4], x1, y1);
      at(a[5], a[6], x2, y2);
      drag(x1, y1, x2, y2, mods, steps);
    } else if (cmd == "snapshot") {
      Count(a, 1, 1);
      std::string file = a[1].front() == '"' ? Quoted(a[1]) : a[1];
      if (!WritePng(front().port, file)) throw LineFault{"cannot write the snapshot " + file};
    } else if (cmd == "expect-value") {
      Count(a, 3, 3);
      Control &c = control(a, 1, false);
      long v = Integer(a[3]);
      if (c.value != v)
        throw LineFault{"expected value " + a[3] + " of " + FourCC(c.id.signature) + " " + a[2] + ", found " + std::to_string(c.value)};
    } else if (cmd == "expect-text") {
      Count(a, 3, 3);
      Control &c = control(a, 1, false);
      std::string want = Quoted(a[3]);
      if (c.text != want)
        throw LineFault{"expected text \"" + want + "\" in " + FourCC(c.id.signature) + " " + a[2] + ", found \"" + c.text + "\""};
    } else if (cmd == "expect-visible") {
      Count(a, 3, 3);
      Control &c = control(a, 1, false);
      if (a[3] != "yes" && a[3] != "no") throw LineFault{"expect-visible takes yes or no, not " + a[3]};
      if (c.visible != (a[3] == "yes"))
        throw LineFault{FourCC(c.id.signature) + " " + a[2] + " is " + (c.visible ? "visible" : "hidden")};
    } else if (cmd == "expect-window") {
      Count(a, 1, 1);
      std::string want = a[1].front() == '"' ? Quoted(a[1]) : a[1];
      Window *w = Front();
      if (!w || w->name != want)
        throw LineFault{"expected window " + want + " in front, found " + (w ? w->name : std::string("none"))};
    } else if (cmd == "log") {
      Count(a, 1, 1);
      std::fprintf(log_, "%s\n", Quoted(a[1]).c_str());
      std::fflush(log_);
    } else {
      throw LineFault{"unknown command: " + cmd};
    }
  }

  std::string path_;
  std::vector<std::string> lines_;
  FILE *log_;
  size_t next_ = 0;
  bool stopped_ = false;
  std::deque<Input> queue_;
};

}  // namespace

std::unique_ptr<Backend> MakeScriptBackend(const char *path, FILE *log, OSStatus *err) {
  std::ifstream in(path ? path : "");
  if (!in) {
    *err = fnfErr;
    return nullptr;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return std::make_unique<ScriptBackend>(path, std::move(lines), log);
}

}  // namespace zv::tk
