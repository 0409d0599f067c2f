#include "harness.h"

#include <cstdlib>
#include <filesystem>

Recorded gRec;

namespace {

OSStatus CommandHandler(EventHandlerCallRef, EventRef event, void *userData) {
  HICommand cmd;
  if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof cmd, nullptr, &cmd) != noErr)
    return eventNotHandledErr;
  auto window = static_cast<WindowRef>(userData);
  const UInt32 id = cmd.commandID;
  const std::string text = {char(id >> 24), char(id >> 16), char(id >> 8), char(id)};
  gRec.commands.push_back(text);
  if (text == "ok  " || text == "not!") {
    QuitAppModalLoopForWindow(window);
    return noErr;
  }
  return eventNotHandledErr;
}

void SliderAction(ControlRef c, ControlPartCode) {
  gRec.actionValues.push_back(GetControl32BitValue(c));
  const std::string text = std::to_string(gRec.actionValues.back()) + "%";
  const ControlID id = {ZV_FOURCC('L', 'g', 'n', 'd'), 1};
  ControlRef legend = nullptr;
  GetControlByID(GetControlOwner(c), &id, &legend);
  SetControlData(legend, 0, kControlStaticTextTextTag, static_cast<Size>(text.size()), text.data());
}

}  // namespace

void ToolkitTest::SetUp() {
  gRec = Recorded{};
  char tmpl[] = "/tmp/zv-toolkit-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  dir_ = tmpl;
  scriptPath_ = dir_ + "/test.script";
  logPath_ = dir_ + "/log.txt";
  ASSERT_EQ(zv::CreateNibReferenceFromFile(ZORVANE_SOURCE_DIR "/tests/toolbox/data/demo.nib", &nib_), noErr) << zv::NibErrorMessage();
}

void ToolkitTest::TearDown() {
  if (started_) Stop();
  if (demo_) DisposeWindow(demo_);
  if (nib_) DisposeNibReference(nib_);
  std::filesystem::remove_all(dir_);
}

void ToolkitTest::Script(const std::string &lines) {
  std::ofstream(scriptPath_) << "# test script\n" << lines;
  logFile_ = std::fopen(logPath_.c_str(), "w");
  ASSERT_NE(logFile_, nullptr);
  ASSERT_EQ(ZvToolkitStart("script", scriptPath_.c_str(), logFile_), noErr);
  started_ = true;
}

WindowRef ToolkitTest::OpenWindow(const char *name) {
  WindowRef w = nullptr;
  CFStringRef cfName = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
  EXPECT_EQ(CreateWindowFromNib(nib_, cfName, &w), noErr) << zv::NibErrorMessage();
  CFRelease(cfName);
  return w;
}

ControlRef ToolkitTest::Ctl(WindowRef w, const char *sig, SInt32 n) {
  ControlID id = {ZV_FOURCC(sig[0], sig[1], sig[2], sig[3]), n};
  ControlRef c = nullptr;
  GetControlByID(w, &id, &c);
  return c;
}

void ToolkitTest::RunDemo() {
  demo_ = OpenWindow("demo");
  ASSERT_NE(demo_, nullptr);
  EventTypeSpec theSpec = {kEventClassCommand, kEventCommandProcess};
  InstallEventHandler(GetWindowEventTarget(demo_), NewEventHandlerUPP(CommandHandler), 1, &theSpec, demo_, nullptr);
  SetControlAction(Ctl(demo_, "Sldr", 1), NewControlActionUPP(SliderAction));
  SetControlAction(Ctl(demo_, "Sldr", 2), NewControlActionUPP(SliderAction));
  ShowWindow(demo_);
  BringToFront(demo_);
  RunAppModalLoopForWindow(demo_);
}

int ToolkitTest::Stop() {
  int failed = ZvToolkitStop();
  started_ = false;
  if (logFile_) std::fclose(logFile_);
  logFile_ = nullptr;
  std::ifstream in(logPath_);
  log_.assign(std::istreambuf_iterator<char>(in), {});
  return failed;
}
