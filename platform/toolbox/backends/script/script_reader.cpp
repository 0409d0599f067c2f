// Reading script lines: words, numbers, signatures and each command's form.
#include "script_reader.h"

#include "CarbonEvents.h"

namespace zv::tk::script {
namespace {

using Args = std::vector<std::string>;

long Integer(const std::string &s) {
  size_t used = 0;
  long v = 0;
  try {
    v = std::stol(s, &used);
  } catch (...) {
    used = 0;
  }
  if (used == 0 || used != s.size()) throw Fault{"not a whole number: " + s};
  return v;
}

double Fraction(const std::string &s) {
  size_t used = 0;
  double v = 0;
  try {
    v = std::stod(s, &used);
  } catch (...) {
    used = 0;
  }
  if (used == 0 || used != s.size() || !(v >= 0 && v <= 1)) throw Fault{"not a fraction from 0 to 1: " + s};
  return v;
}

std::string Quoted(const std::string &s) {
  if (s.empty() || s.front() != '"') throw Fault{"expected a quoted text, found " + s};
  return s.substr(1);  // the tokenizer keeps the opening quote only
}

std::string QuotedOrWord(const std::string &s) { return s.front() == '"' ? Quoted(s) : s; }

OSType Signature(const std::string &s) {
  std::string code = s.size() == 6 && s.front() == '\'' && s.back() == '\'' ? s.substr(1, 4) : s;
  if (code.size() != 4 || code.front() == '\'') throw Fault{"a signature is four characters, not " + s};
  return ZV_FOURCC(code[0], code[1], code[2], code[3]);
}

// Optional trailing words: modifiers and, where allowed, "steps K".
void Options(const Args &a, size_t from, Line &line, bool steps) {
  for (size_t i = from; i < a.size(); ++i) {
    if (a[i] == "shift") line.modifiers |= shiftKey;
    else if (a[i] == "option") line.modifiers |= optionKey;
    else if (a[i] == "command") line.modifiers |= cmdKey;
    else if (a[i] == "control") line.modifiers |= controlKey;
    else if (a[i] == "steps" && steps && i + 1 < a.size()) {
      long k = Integer(a[++i]);
      if (k < 1 || k > 1000) throw Fault{"steps must be 1 to 1000"};
      line.steps = static_cast<int>(k);
    } else {
      throw Fault{"unexpected word: " + a[i]};
    }
  }
}

void Count(const Args &a, size_t least, size_t most) {
  if (a.size() - 1 < least || a.size() - 1 > most)
    throw Fault{a[0] + " takes " + (least == most ? std::to_string(least) : std::to_string(least) + " to " + std::to_string(most)) +
                " arguments, not " + std::to_string(a.size() - 1)};
}

// At least `least` arguments, then options.
void CountWithOptions(const Args &a, size_t least, size_t most, Line &line, bool steps) {
  if (a.size() - 1 < least) Count(a, least, most);
  Options(a, least + 1, line, steps);
}

void ControlOf(const Args &a, Line &line) {
  line.signature = Signature(a[1]);
  line.number = Integer(a[2]);
}

}  // namespace

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
      if (end == std::string::npos) throw Fault{"unterminated '"};
      out.push_back(line.substr(i, end - i + 1));
      i = end + 1;
    } else if (ch == '"') {
      std::string s = "\"";
      for (++i;; ++i) {
        if (i >= line.size()) throw Fault{"unterminated \""};
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

Line ReadLine(const std::string &text) {
  const Args a = Tokenize(text);
  Line line;
  if (a.empty()) return line;
  const std::string &cmd = a[0];
  if (cmd == "mouse-down" || cmd == "click") {
    line.op = cmd == "click" ? Op::Click : Op::MouseDown;
    CountWithOptions(a, 2, 6, line, false);
    line.x1 = static_cast<double>(Integer(a[1]));
    line.y1 = static_cast<double>(Integer(a[2]));
  } else if (cmd == "mouse-drag" || cmd == "mouse-up") {
    line.op = cmd == "mouse-up" ? Op::MouseUp : Op::MouseDrag;
    Count(a, 2, 2);
    line.x1 = static_cast<double>(Integer(a[1]));
    line.y1 = static_cast<double>(Integer(a[2]));
  } else if (cmd == "key") {
    line.op = Op::Key;
    Count(a, 1, 1);
    if (a[1] == "return") line.key = KeyName::Return;
    else if (a[1] == "escape") line.key = KeyName::Escape;
    else if (a[1] == "SPACE") line.character = ' ';
    else if (a[1].size() == 1) line.character = a[1][0];
    else throw Fault{"unknown key: " + a[1]};
  } else if (cmd == "command") {
    line.op = Op::Command;
    Count(a, 1, 1);
    line.signature = Signature(a[1]);
  } else if (cmd == "click-control") {
    line.op = Op::ClickControl;
    CountWithOptions(a, 2, 6, line, false);
    ControlOf(a, line);
  } else if (cmd == "set-slider" || cmd == "choose-item" || cmd == "expect-value") {
    line.op = cmd == "set-slider" ? Op::SetSlider : cmd == "choose-item" ? Op::ChooseItem : Op::ExpectValue;
    Count(a, 3, 3);
    ControlOf(a, line);
    line.value = Integer(a[3]);
  } else if (cmd == "drag") {
    line.op = Op::Drag;
    CountWithOptions(a, 4, 10, line, true);
    line.x1 = static_cast<double>(Integer(a[1]));
    line.y1 = static_cast<double>(Integer(a[2]));
    line.x2 = static_cast<double>(Integer(a[3]));
    line.y2 = static_cast<double>(Integer(a[4]));
  } else if (cmd == "drag-control") {
    line.op = Op::DragControl;
    CountWithOptions(a, 6, 12, line, true);
    ControlOf(a, line);
    line.x1 = Fraction(a[3]);
    line.y1 = Fraction(a[4]);
    line.x2 = Fraction(a[5]);
    line.y2 = Fraction(a[6]);
  } else if (cmd == "snapshot" || cmd == "expect-window") {
    line.op = cmd == "snapshot" ? Op::Snapshot : Op::ExpectWindow;
    Count(a, 1, 1);
    line.text = QuotedOrWord(a[1]);
  } else if (cmd == "expect-text") {
    line.op = Op::ExpectText;
    Count(a, 3, 3);
    ControlOf(a, line);
    line.text = Quoted(a[3]);
  } else if (cmd == "expect-visible") {
    line.op = Op::ExpectVisible;
    Count(a, 3, 3);
    ControlOf(a, line);
    if (a[3] != "yes" && a[3] != "no") throw Fault{"expect-visible takes yes or no, not " + a[3]};
    line.yes = a[3] == "yes";
  } else if (cmd == "log") {
    line.op = Op::Log;
    Count(a, 1, 1);
    line.text = Quoted(a[1]);
  } else {
    throw Fault{"unknown command: " + cmd};
  }
  return line;
}

}  // namespace zv::tk::script
