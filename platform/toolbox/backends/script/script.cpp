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
#include <filesystem>
#include <fstream>

#include "../../paint.h"
#include "../../toolkit.h"
#include "script_reader.h"

namespace zv::tk {
namespace {

using script::Fault;
using script::Line;
using script::Op;

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
        run(script::ReadLine(lines_[number]));
      } catch (const Fault &f) {
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
      try {
        if (script::Tokenize(lines_[i]).empty()) continue;
      } catch (const Fault &) {
      }
      std::fprintf(log_, "%s:%zu: the program ended before this line ran\n", path_.c_str(), i + 1);
      std::fflush(log_);
      ReportFailure("unfinished script");
      break;
    }
  }

  bool scripted() const override { return true; }

private:
  Window &front() {
    Window *w = Front();
    if (!w) throw Fault{"no window is shown"};
    return *w;
  }

  Control &control(const Line &line, bool usable) {
    Window &w = front();
    Control *c = FindControl(w, line.signature, static_cast<SInt32>(line.number));
    const std::string name = FourCC(line.signature) + " " + std::to_string(line.number);
    if (!c) throw Fault{"no control " + name + " in window " + w.name};
    if (usable && (!c->visible || !c->enabled)) throw Fault{"control " + name + " is " + (c->visible ? "disabled" : "hidden")};
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

  void run(const Line &line) {
    const std::string name = FourCC(line.signature) + " " + std::to_string(line.number);
    switch (line.op) {
    case Op::None: break;
    case Op::MouseDown:
    case Op::Click:
      front();
      mouse(InputKind::MouseDown, line.x1, line.y1, line.modifiers);
      if (line.op == Op::Click) mouse(InputKind::MouseUp, line.x1, line.y1, line.modifiers);
      break;
    case Op::MouseDrag:
    case Op::MouseUp:
      mouse(line.op == Op::MouseUp ? InputKind::MouseUp : InputKind::MouseDrag, line.x1, line.y1, 0);
      break;
    case Op::Key: {
      Input in;
      in.kind = InputKind::Key;
      in.key = line.key == script::KeyName::Return   ? Key::Return
               : line.key == script::KeyName::Escape ? Key::Escape
                                                     : Key::Character;
      in.character = line.character;
      queue_.push_back(in);
      break;
    }
    case Op::Command: {
      Input in;
      in.kind = InputKind::Command;
      in.command = line.signature;
      queue_.push_back(in);
      break;
    }
    case Op::ClickControl: {
      Control &c = control(line, true);
      double x = c.bounds.left + (c.bounds.right - c.bounds.left) / 2.0, y = c.bounds.top + (c.bounds.bottom - c.bounds.top) / 2.0;
      mouse(InputKind::MouseDown, x, y, line.modifiers);
      mouse(InputKind::MouseUp, x, y, line.modifiers);
      break;
    }
    case Op::SetSlider: {
      Control &c = control(line, true);
      if (c.kind != Kind::Slider) throw Fault{name + " is not a slider"};
      if (line.value < c.minimum || line.value > c.maximum)
        throw Fault{"value " + std::to_string(line.value) + " is outside " + std::to_string(c.minimum) + " to " +
                    std::to_string(c.maximum)};
      double from = SliderPosition(c, c.value), to = SliderPosition(c, static_cast<SInt32>(line.value));
      double across = SliderHorizontal(c) ? (c.bounds.top + c.bounds.bottom) / 2.0 : (c.bounds.left + c.bounds.right) / 2.0;
      if (SliderHorizontal(c))
        drag(from, across, to, across, 0, 8);
      else
        drag(across, from, across, to, 0, 8);
      break;
    }
    case Op::ChooseItem: {
      Control &c = control(line, true);
      if (c.kind != Kind::Popup) throw Fault{name + " is not a pop-up menu"};
      if (line.value < 1 || line.value > static_cast<long>(c.items.size()))
        throw Fault{"item " + std::to_string(line.value) + " is outside 1 to " + std::to_string(c.items.size())};
      Rect r = PopupItemRect(c, static_cast<int>(line.value));
      drag(c.bounds.left + (c.bounds.right - c.bounds.left) / 2.0, c.bounds.top + (c.bounds.bottom - c.bounds.top) / 2.0,
           r.left + (r.right - r.left) / 2.0, r.top + (r.bottom - r.top) / 2.0, 0, 4);
      break;
    }
    case Op::Drag:
      front();
      drag(line.x1, line.y1, line.x2, line.y2, line.modifiers, line.steps);
      break;
    case Op::DragControl: {
      const Rect &b = control(line, true).bounds;
      auto x = [&](double f) { return b.left + f * (b.right - b.left); };
      auto y = [&](double f) { return b.top + f * (b.bottom - b.top); };
      drag(x(line.x1), y(line.y1), x(line.x2), y(line.y2), line.modifiers, line.steps);
      break;
    }
    case Op::Snapshot:
      if (!WritePng(front().port, line.text)) throw Fault{"cannot write the snapshot " + line.text};
      break;
    case Op::ExpectValue: {
      Control &c = control(line, false);
      if (c.value != line.value)
        throw Fault{"expected value " + std::to_string(line.value) + " of " + name + ", found " + std::to_string(c.value)};
      break;
    }
    case Op::ExpectText: {
      Control &c = control(line, false);
      if (c.text != line.text) throw Fault{"expected text \"" + line.text + "\" in " + name + ", found \"" + c.text + "\""};
      break;
    }
    case Op::ExpectVisible: {
      Control &c = control(line, false);
      if (c.visible != line.yes) throw Fault{name + " is " + (c.visible ? "visible" : "hidden")};
      break;
    }
    case Op::ExpectWindow: {
      Window *w = Front();
      if (!w || w->name != line.text)
        throw Fault{"expected window " + line.text + " in front, found " + (w ? w->name : std::string("none"))};
      break;
    }
    case Op::Log:
      std::fprintf(log_, "%s\n", line.text.c_str());
      std::fflush(log_);
      break;
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
  std::error_code ignored;
  std::ifstream in(path ? path : "");
  // A folder opens like an empty file; it is no script.
  if (!in || std::filesystem::is_directory(path, ignored)) {
    *err = fnfErr;
    return nullptr;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return std::make_unique<ScriptBackend>(path, std::move(lines), log);
}

}  // namespace zv::tk
