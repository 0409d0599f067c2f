// Window descriptions: every fault names the file, the line and what is wrong.
#include <filesystem>

#include "harness.h"

namespace {

// One control, on line 3, in a window; a tag and attributes without bounds get small ones.
std::string InWindow(const std::string &control) {
  const std::string tag = control.find("top=") == std::string::npos ? control + R"( top="0" left="0" bottom="1" right="1"/>)" : control;
  return R"(<window name="w" width="100" height="50">)" "\n" + tag + "\n</window>";
}

// Reads <nib>, the body from line 2, </nib> from a file; `path` names it.
OSStatus Read(const std::string &body, IBNibRef *ref, std::string *path) {
  static int n = 0;
  *path = std::filesystem::temp_directory_path() / ("zv-nib-" + std::to_string(getpid()) + "-" + std::to_string(n++) + ".nib");
  std::ofstream(*path) << "<nib>\n" + body + "\n</nib>\n";
  return zv::CreateNibReferenceFromFile(*path, ref);
}

}  // namespace

// Faults name the file, the line and the fault; each range holds at its ends:
// the last value inside reads (line 0), the first outside is refused.
TEST(Nib, FaultsNameFileLineAndFaultAndRangesHoldAtTheirEnds) {
  const auto window = [](const std::string &w, const std::string &h) {
    return "<window name=\"w\" width=\"" + w + "\" height=\"" + h + "\"/>";
  };
  const auto bounds = [](const std::string &top, const std::string &bottom) {
    return InWindow("<text top=\"" + top + "\" left=\"0\" bottom=\"" + bottom + "\" right=\"1\"/>");
  };
  const std::string popup = R"(<popup value="%" top="0" left="0" bottom="1" right="1"><item>a</item><item>b</item></popup>)";
  const auto choose = [&](char v) { std::string p = popup; p[p.find('%')] = v; return InWindow(p); };
  const std::tuple<std::string, int, const char *> cases[] = {
      {InWindow("<buton"), 3, "unknown control kind <buton>"},
      {InWindow(R"(<text signature="Lgnd" number="1" top="0" left="0" bottom="1" right="1"/>)" "\n"
                R"(<text signature="Lgnd" number="1" top="0" left="0" bottom="1" right="1"/>)"),
       4, "duplicate control identifier 'Lgnd' 1 (first on line 3)"},
      {"<window name=\"w\" width=\"100\">\n</window>", 2, "<window> lacks the attribute 'height'"},
      {"<window name=\"w\" width=\"100\" height=\"50\"/>\n<window name=\"w\" width=\"1\" height=\"1\"/>", 3,
       "a second window named 'w'"},
      {"<window name=\"w\" width=\"wide\" height=\"50\"/>", 2, "'width' is not a whole number: \"wide\""},
      {InWindow(R"(<slider value="200")"), 3, "'value' 200 is outside 0 to 100"},
      {InWindow(R"(<button signature="ok" number="1")"), 3, "'signature' must be four characters, not \"ok\""},
      {InWindow(R"(<button titel="OK")"), 3, "unknown attribute 'titel' on <button>"},
      {InWindow("<popup"), 3, "<popup> without <item>"},
      {InWindow(R"(<text top="9" left="0" bottom="1" right="1"/>)"), 3, "bounds with bottom above top"},
      {"<window name=\"w\" width=\"100\" height=\"50\">\n<text/>\n</windo>", 4, "not well-formed XML"},
      {"<dialog/>", 2, "unexpected content in <nib>"},
      {window("1", "8192"), 0, ""},   {window("0", "50"), 2, ""},   {window("8193", "50"), 2, ""},
      {window("50", "-1"), 2, ""},    {bounds("-32768", "32767"), 0, ""},
      {bounds("-32769", "0"), 3, ""}, {bounds("0", "32768"), 3, ""},
      {InWindow(R"(<checkbox value="2")"), 0, ""},  {InWindow(R"(<checkbox value="3")"), 3, ""},
      {InWindow(R"(<checkbox value="-1")"), 3, ""},
      {choose('2'), 0, ""}, {choose('3'), 3, ""}, {choose('0'), 3, ""},
      {InWindow(R"(<slider minimum="-5" maximum="-5" value="-5")"), 0, ""},
      {InWindow(R"(<slider minimum="-5" maximum="5" value="-6")"), 3, ""},
      {InWindow(R"(<text signature="Lgnd" number="-2147483648")"), 0, ""},
      {InWindow(R"(<text signature="Lgnd" number="2147483648")"), 3, ""},
  };
  for (auto &[body, line, fault] : cases) {
    SCOPED_TRACE(body);
    IBNibRef ref = nullptr;
    std::string path;
    EXPECT_EQ(Read(body, &ref, &path), line ? OSStatus{kIBCarbonRuntimeMalformedNib} : OSStatus{noErr});
    EXPECT_EQ(ref != nullptr, line == 0);
    if (ref) DisposeNibReference(ref);
    const std::string want = path + ":" + std::to_string(line) + ": " + fault;
    if (line) { EXPECT_EQ(zv::NibErrorMessage().substr(0, want.size()), want); }
    std::filesystem::remove(path);
  }
}

TEST(Nib, MissingFileWindowOrClassAreReportedByTheirCalls) {
  IBNibRef ref = nullptr;
  EXPECT_EQ(zv::CreateNibReferenceFromFile("/nonexistent/x.nib", &ref), kIBCarbonRuntimeCantFindNibFile);
  EXPECT_NE(zv::NibErrorMessage().find("/nonexistent/x.nib"), std::string::npos);

  std::string path;
  ASSERT_EQ(Read(InWindow("<custom class=\"com.example.unregistered\""), &ref, &path), noErr);
  WindowRef w = reinterpret_cast<WindowRef>(1);
  EXPECT_EQ(CreateWindowFromNib(ref, CFSTR("nowhere"), &w), kIBCarbonRuntimeCantFindObject);
  EXPECT_EQ(w, nullptr);
  EXPECT_EQ(zv::NibErrorMessage(), path + ": no window named 'nowhere'");
  EXPECT_EQ(CreateWindowFromNib(ref, CFSTR("w"), &w), kIBCarbonRuntimeCantFindObject);
  EXPECT_EQ(zv::NibErrorMessage(), path + ":3: control class 'com.example.unregistered' is not registered");
  DisposeNibReference(ref);
  std::filesystem::remove(path);
}

// Values stay within the range whichever end moves, and stale references do
// nothing once their window is gone.
TEST_F(ToolkitTest, ControlValuesStayInRangeAndOutliveNothing) {
  WindowRef w = OpenWindow("demo");
  ASSERT_NE(w, nullptr);
  ControlRef s = Ctl(w, "Sldr", 1);
  SetControl32BitValue(s, 500);
  EXPECT_EQ(GetControl32BitValue(s), 100);
  SetControl32BitMaximum(s, 20);
  EXPECT_EQ(GetControl32BitValue(s), 20);
  SetControl32BitMinimum(s, 30);
  EXPECT_EQ(GetControl32BitValue(s), 30);
  DisposeWindow(w);
  EXPECT_EQ(GetControlOwner(s), nullptr);
  EXPECT_EQ(GetWindowPort(w), nullptr);
  SetControl32BitValue(s, 1);
  HideControl(s);
}
