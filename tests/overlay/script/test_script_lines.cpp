// Script lines run against a recorder: what each line calls and what it returns.
#include <gtest/gtest.h>

#include "ScriptRecorder.h"

namespace {

struct LineCase {
  const char* line;
  int32_t result;
  const char* call;  // the one call the line makes, "" for none
};

class ScriptLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(ScriptLines, CallAndResult) {
  const LineCase& c = GetParam();
  TRecordingTarget target;
  TFakeHost host;  // a display of 1365 x 767
  TScriptInterpreter script(target, host);
  EXPECT_EQ(script.ScriptCommand(c.line), c.result) << c.line;
  if (*c.call) {
    ASSERT_EQ(target.calls.size(), 1u) << c.line;
    EXPECT_EQ(target.calls[0], c.call) << c.line;
  } else {
    EXPECT_TRUE(target.calls.empty()) << c.line << " called " << target.Last();
  }
}

const LineCase kCommands[] = {
    {"  POINT 100 200 0 255  ", 1, "Point(100,200,0,255)"},
    {"point 10 10 1 0", 1, "Point(10,10,1,0)"},
    {"PoInT 1 2 3 4", 1, "Point(1,2,3,4)"},
    {"CLEAR", 0, "Clear()"},
    {"clear", -1, ""},
    {"CLEAR 1", -1, ""},
    {"LINE 0 0 SCREENWIDTH SCREENHEIGHT $FF", 1, "Line(0,0,1365,767,255)"},
    {"LINE 0 0 10 10 255 99", 1, "Line(0,0,10,10,255)"},
    {"RECTANGLE 1 2 3 4 5", 1, "Rectangle(1,2,3,4,5)"},
    {"ELLIPSE -1 -2 3 4 5", 1, "Ellipse(-1,-2,3,4,5)"},
    {"POLYLINE 2 0 0 100 100 255", 1, "Polyline(2,[0/0 100/100],255)"},
    {"POLYLINE 0 255", 1, "Polyline(0,[],255)"},
    {"POLYLINE -3 255", 1, "Polyline(-3,[],255)"},
    {"polyline 1 10% 10% 7", 1, "Polyline(1,[136/77],7)"},
    {"TEXT 10 10 ''Hello world'' ''Arial'' 12 TRUE FALSE 0", 1,
     "Text(10,10,<Hello world>,<Arial>,12,1,0,0)"},
    {"TEXT 1 2 ''it is TRUE'' ''Arial'' 8 0 0 0", 1, "Text(1,2,<it is 1>,<Arial>,8,0,0,0)"},
    {"TEXT 1 2 ''don't'' '''' 8 0 1 0", 1, "Text(1,2,<don't>,<>,8,0,1,0)"},
    {"BITMAPBYFILENAME 5 6 ''C:\\pics\\logo.bmp'' $FF00FF", 1,
     "BitmapByFile(5,6,<C:\\pics\\logo.bmp>,16711935)"},
    {"BitmapByResource 5 6 4194304 ''RULER'' 0", 1, "BitmapByResource(5,6,4194304,<RULER>,0)"},
    {"SETCALLBACKWINDOWHANDLE $1234", 0, "SetCallBackWindowHandle(4660)"},
    {"OPERATION 7 5 99 0 0", 1, "Operation(7,5,99,0,0)"},
    // Lines that are no command do nothing.
    {"", -1, ""},
    {"      ", -1, ""},
    {"some free text", -1, ""},
    {"POINTS 1 2 3 4", -1, ""},
    {"POINT", -1, ""},
    {"SCRIPT", -1, ""},
    {"WAIT", -1, ""},
};
INSTANTIATE_TEST_SUITE_P(Commands, ScriptLines, ::testing::ValuesIn(kCommands));

const LineCase kNumbers[] = {
    {"POINT 0xFF 0XfF 255 x0FF", 1, "Point(255,255,255,255)"},
    {"POINT X0ff $00000000ff +7 -7", 1, "Point(255,255,7,-7)"},
    {"POINT 2147483647 -2147483648 $7FFFFFFF $80000000", 1,
     "Point(2147483647,-2147483648,2147483647,-2147483648)"},
    {"POINT $FFFFFFFF 0 0 0", 1, "Point(-1,0,0,0)"},
    {"POINT SCREENCENTERX SCREENCENTERY 0 0", 1, "Point(682,383,0,0)"},
    // Percentages: exact, halves to the even neighbour, of width, height or 100.
    {"POINT 50% 50% 0 255", 1, "Point(682,384,0,255)"},
    {"POINT 150% -50% 0 0", 1, "Point(2048,-384,0,0)"},
    {"POINT -50% 1% 0 0", 1, "Point(-682,8,0,0)"},
    {"POINT 0 0 50% 1", 1, "Point(0,0,50,1)"},
    {"POINT 0 0 $32% 1", 1, "Point(0,0,50,1)"},
    // Malformed numbers: -(100 + k) for parameter k.
    {"POINT 2147483648 0 0 0", -101, ""},
    {"POINT -2147483649 0 0 0", -101, ""},
    {"POINT $100000000 0 0 0", -101, ""},
    {"POINT -$FF 0 0 0", -101, ""},
    {"POINT 0 +0x10 0 0", -102, ""},
    {"POINT 0x 0 0 0", -101, ""},
    {"POINT $ 0 0 0", -101, ""},
    {"POINT - 0 0 0", -101, ""},
    {"POINT % 0 0 0", -101, ""},
    {"POINT 1.5 0 0 0", -101, ""},
    {"POINT 0 0 $G 0", -103, ""},
    {"POINT 300000000% 0 0 0", -101, ""},  // outside 32 bits
    {"POINT 10 10 0 50%", -104, ""},       // the last parameter is never a percentage
    {"POINT 10\t10 0 255", -101, ""},      // a tab does not separate
    {"POINT 10 10 0 true", -104, ""},      // constants are case-sensitive
    {"LINE 0 0 10", -104, ""},
    {"LINE 0 0 10 10 -$FF", -105, ""},
    {"RECTANGLE 0 0 10", -104, ""},
    {"ELLIPSE", -1, ""},
    {"ELLIPSE ", -1, ""},  // trimmed to a word without parameters: no command
    {"OPERATION 1 2 3 4", -105, ""},
    {"SETCALLBACKWINDOWHANDLE x", -101, ""},
    {"TEXT 10 10 ''Hello world'' ''Arial'' 12 true FALSE 0", -106, ""},
    {"TEXT 10 10 Hello ''Arial'' 12 1 0 0", -105, ""},
    {"TEXT 1 2 ''never closed", -105, ""},
    {"TEXT 1 2 ''a'' ''never closed 8 0 0 0", -105, ""},
    {"BITMAPBYFILENAME 5 6 ''x.bmp''", -104, ""},
    {"BITMAPBYRESOURCE 5 6 0 ''R''", -105, ""},
    {"POLYLINE 2 0 0 100", -105, ""},
    {"POLYLINE 2 0 0 100 100", -106, ""},
    {"POLYLINE x", -101, ""},
    // Room for more points than the line can hold cannot be had; a count whose pair
    // size overflows 32 bits must not buy a small buffer.
    {"POLYLINE 2000000000 0 0 255", -102, ""},
    {"POLYLINE 3 0 0 1 1 255", -107, ""},  // room enough: the third y is missing
    {"POLYLINE 4 0 0 1 1 255", -102, ""},
    {"POLYLINE 536870913 1 2", -102, ""},
    {"POLYLINE 2147483647 1 2 3 4 5", -102, ""},
};
INSTANTIATE_TEST_SUITE_P(Numbers, ScriptLines, ::testing::ValuesIn(kNumbers));

struct ConstantCase {
  const char* name;
  int32_t code;
};

TEST(ScriptConstants, OperationNamesBecomeTheirCodes) {
  const ConstantCase cases[] = {
      {"OVERLAYELEMENT_OPERATION_DELETE", 1},         {"OVERLAYELEMENT_OPERATION_SHOW", 2},
      {"OVERLAYELEMENT_OPERATION_LINEWIDTH", 3},      {"OVERLAYELEMENT_OPERATION_ISFILLED", 4},
      {"OVERLAYELEMENT_OPERATION_SETCOLOR", 5},       {"OVERLAYELEMENT_OPERATION_SETAUTOHIDE", 6},
      {"OVERLAYELEMENT_OPERATION_SETAUTOSHOW", 11},   {"OVERLAYELEMENT_OPERATION_SETZORDER", 7},
      {"OVERLAYELEMENT_OPERATION_SETMOUSECURSOR", 8}, {"OVERLAYELEMENT_OPERATION_SETTRANSPARENT", 9},
      {"OVERLAYELEMENT_OPERATION_SETCLICKTHROUGH", 10},
  };
  for (const ConstantCase& c : cases) {
    TRecordingTarget target;
    TFakeHost host;
    TScriptInterpreter script(target, host);
    const std::string line = std::string("OPERATION ") + c.name + " 4 TRUE FALSE SCREENWIDTH";
    EXPECT_EQ(script.ScriptCommand(line.c_str()), 1);
    EXPECT_EQ(target.Last(), "Operation(" + std::to_string(c.code) + ",4,1,0,1365)") << c.name;
  }
}

TEST(ScriptConstants, ReplacedEverywhereAndInOrder) {
  TRecordingTarget target;
  TFakeHost host;
  host.width = 1001;
  host.height = 9;
  TScriptInterpreter script(target, host);
  // PREVIOUSCREATEDELEMENT is -1 before anything was created.
  script.ScriptCommand("POINT PREVIOUSCREATEDELEMENT 0 0 0");
  EXPECT_EQ(target.Last(), "Point(-1,0,0,0)");
  // Inside strings too, and the display constants follow the host's display.
  script.ScriptCommand("TEXT SCREENCENTERX SCREENCENTERY ''SCREENWIDTH x SCREENHEIGHT'' "
                       "''FALSETRUE'' 8 0 0 0");
  EXPECT_EQ(target.Last(), "Text(500,4,<1001 x 9>,<01>,8,0,0,0)");
}

TEST(ScriptLog, EveryLineIsLoggedAsPassedWithItsResult) {
  TRecordingTarget target;
  TFakeHost host;
  TScriptInterpreter script(target, host);
  script.ScriptCommand("  POINT 1 2 3 4 ");
  script.ScriptCommand("POINT x");
  script.ScriptCommand(nullptr);
  const std::vector<std::string> expected = {
      "QzScreenOverlay_ScriptCommand", "  ScriptLine=  POINT 1 2 3 4 ",
      "QzScreenOverlay_ScriptCommand [1]", "QzScreenOverlay_ScriptCommand",
      "  ScriptLine=POINT x", "QzScreenOverlay_ScriptCommand [-101]",
      "QzScreenOverlay_ScriptCommand", "  ScriptLine=", "QzScreenOverlay_ScriptCommand [-1]"};
  EXPECT_EQ(host.log, expected);
}

TEST(ScriptPrevious, CreatingLinesSetItOperationsKeepIt) {
  TRecordingTarget target;
  TFakeHost host;
  TScriptInterpreter script(target, host);
  EXPECT_EQ(script.PreviousCreatedID(), -1);
  EXPECT_EQ(script.ScriptCommand("POINT 100 200 0 255"), 1);
  const char* width = "OPERATION OVERLAYELEMENT_OPERATION_LINEWIDTH PREVIOUSCREATEDELEMENT 3 0 0";
  EXPECT_EQ(script.ScriptCommand(width), 1);
  EXPECT_EQ(script.ScriptCommand(width), 1);
  EXPECT_EQ(target.calls[1], "Operation(3,1,3,0,0)");
  EXPECT_EQ(target.calls[2], "Operation(3,1,3,0,0)");
  EXPECT_EQ(script.PreviousCreatedID(), 1);

  EXPECT_EQ(script.ScriptCommand("LINE 0 0 1 1 0"), 2);
  EXPECT_EQ(script.PreviousCreatedID(), 2);
  EXPECT_EQ(script.ScriptCommand("operation 2 PREVIOUSCREATEDELEMENT 0 0 0"), 1);
  EXPECT_EQ(script.ScriptCommand("SetCallBackWindowHandle 77"), 0);
  EXPECT_EQ(script.PreviousCreatedID(), 2);

  // Failures and lines without a command leave it.
  EXPECT_EQ(script.ScriptCommand("LINE 0 0 1"), -104);
  EXPECT_EQ(script.ScriptCommand("nothing"), -1);
  target.nextID = -3;  // the export failed
  EXPECT_EQ(script.ScriptCommand("POINT 1 1 0 0"), -3);
  EXPECT_EQ(script.PreviousCreatedID(), 2);

  // The count that CLEAR returns becomes its value.
  target.clearResult = 5;
  EXPECT_EQ(script.ScriptCommand("CLEAR"), 5);
  EXPECT_EQ(script.PreviousCreatedID(), 5);
  script.ScriptCommand("OPERATION 1 PREVIOUSCREATEDELEMENT 0 0 0");
  EXPECT_EQ(target.Last(), "Operation(1,5,0,0,0)");
}

TEST(ScriptPrevious, CanLiveInSharedState) {
  TRecordingTarget target;
  TFakeHost host;
  int32_t shared = 7;
  TScriptInterpreter script(target, host, &shared);
  script.ScriptCommand("POINT PREVIOUSCREATEDELEMENT 0 0 0");
  EXPECT_EQ(target.Last(), "Point(7,0,0,0)");
  EXPECT_EQ(shared, 1);
}

TEST(ScriptSafety, LongAndBrokenLinesEndInResults) {
  TRecordingTarget target;
  TFakeHost host;
  TScriptInterpreter script(target, host);
  const std::string blanks(100 * 1024, ' ');
  EXPECT_EQ(script.ScriptCommand(blanks.c_str()), -1);
  const std::string junk(100 * 1024, 'X');
  EXPECT_EQ(script.ScriptCommand(junk.c_str()), -1);
  const std::string open = "TEXT 1 2 ''" + std::string(100 * 1024, 'a');
  EXPECT_EQ(script.ScriptCommand(open.c_str()), -105);
  const std::string digits = "POINT " + std::string(100 * 1024, '9') + " 0 0 0";
  EXPECT_EQ(script.ScriptCommand(digits.c_str()), -101);
  EXPECT_TRUE(target.calls.empty());

  std::string many = "POLYLINE 25000";
  for (int i = 0; i < 25000; ++i) many += " " + std::to_string(i) + " 1";
  many += " 9";
  EXPECT_EQ(script.ScriptCommand(many.c_str()), 1);
  EXPECT_EQ(target.Last().rfind("Polyline(25000,[0/1 1/1 ", 0), 0u);
}

TEST(ScriptParse, StringsConsumeWhatTheyRead) {
  std::string rest = "  ''Hello world'' ''Arial'' 12";
  EXPECT_EQ(ParseScriptString(rest), "Hello world");
  EXPECT_EQ(ParseScriptString(rest), "Arial");
  EXPECT_EQ(rest, "12");
  EXPECT_EQ(ParseScriptString(rest), "NOSTRING");
  EXPECT_EQ(rest, "12");
  EXPECT_EQ(ParseScriptNumber(rest, 100), 12);
  EXPECT_EQ(rest, "");
  EXPECT_THROW(ParseScriptNumber(rest, 100), EScriptConvertError);
}

}  // namespace
