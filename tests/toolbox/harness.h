// Runs the toolkit on a script: the demo window of data/demo.nib and a command
// handler that records every command. Custom controls are driven through the
// plug-in's frame editor and colour boxes in tests/dialog.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "CarbonEvents.h"
#include "Nib.h"
#include "ToolkitBackend.h"

struct Recorded {
  std::vector<std::string> commands;
  std::vector<int> actionValues;
};
extern Recorded gRec;


class ToolkitTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  // Starts the script backend on the given lines (a comment line comes first,
  // so the first command is on line 2).
  void Script(const std::string &lines);
  WindowRef OpenWindow(const char *name);
  // Shows the window, runs its modal loop, then stops the backend.
  void RunDemo();
  int Stop();  // ZvToolkitStop; the log is in log_ afterwards
  ControlRef Ctl(WindowRef w, const char *sig, SInt32 n);

  std::string dir_, scriptPath_, logPath_, log_;
  FILE *logFile_ = nullptr;
  IBNibRef nib_ = nullptr;
  WindowRef demo_ = nullptr;
  bool started_ = false;
};
