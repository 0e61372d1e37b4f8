// A recording stand-in for the exports and the system that the script interpreter calls.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "QzScreenOverlayScript.h"

// Records every call as "Name(arg,arg,...)"; creating calls return IDs counted from 1.
class TRecordingTarget : public TScriptTarget {
public:
  std::vector<std::string> calls;
  int32_t nextID = 1;
  int32_t clearResult = 0;
  int32_t operationResult = 1;
  int32_t callbackResult = 0;

  int32_t Clear() override { return Add("Clear()", clearResult); }
  int32_t SetCallBackWindowHandle(int32_t handle) override {
    return Add("SetCallBackWindowHandle(" + S(handle) + ")", callbackResult);
  }
  int32_t Operation(int32_t op, int32_t id, int32_t v1, int32_t v2, int32_t v3) override {
    return Add("Operation(" + S(op) + "," + S(id) + "," + S(v1) + "," + S(v2) + "," + S(v3) + ")",
               operationResult);
  }
  int32_t Point(int32_t x, int32_t y, int32_t style, int32_t color) override {
    return Create("Point(" + S(x) + "," + S(y) + "," + S(style) + "," + S(color) + ")");
  }
  int32_t Line(int32_t a, int32_t b, int32_t c, int32_t d, int32_t color) override {
    return Create("Line(" + Four(a, b, c, d) + "," + S(color) + ")");
  }
  int32_t Rectangle(int32_t a, int32_t b, int32_t c, int32_t d, int32_t color) override {
    return Create("Rectangle(" + Four(a, b, c, d) + "," + S(color) + ")");
  }
  int32_t Ellipse(int32_t a, int32_t b, int32_t c, int32_t d, int32_t color) override {
    return Create("Ellipse(" + Four(a, b, c, d) + "," + S(color) + ")");
  }
  int32_t Polyline(const int32_t* points, int32_t count, int32_t color) override {
    std::string s = "Polyline(" + S(count) + ",[";
    for (int32_t i = 0; i < count; ++i)
      s += (i ? " " : "") + S(points[2 * i]) + "/" + S(points[2 * i + 1]);
    return Create(s + "]," + S(color) + ")");
  }
  int32_t Text(int32_t x, int32_t y, const char* text, const char* font, int32_t size, int32_t bold,
               int32_t italic, int32_t color) override {
    return Create("Text(" + S(x) + "," + S(y) + ",<" + text + ">,<" + font + ">," + S(size) + "," +
                  S(bold) + "," + S(italic) + "," + S(color) + ")");
  }
  int32_t BitmapByFile(int32_t x, int32_t y, const char* file, int32_t transparent) override {
    return Create("BitmapByFile(" + S(x) + "," + S(y) + ",<" + file + ">," + S(transparent) + ")");
  }
  int32_t BitmapByResource(int32_t x, int32_t y, int32_t instance, const char* name,
                           int32_t transparent) override {
    return Create("BitmapByResource(" + S(x) + "," + S(y) + "," + S(instance) + ",<" + name + ">," +
                  S(transparent) + ")");
  }

  std::string Last() const { return calls.empty() ? std::string() : calls.back(); }

private:
  static std::string S(int32_t v) { return std::to_string(v); }
  static std::string Four(int32_t a, int32_t b, int32_t c, int32_t d) {
    return S(a) + "," + S(b) + "," + S(c) + "," + S(d);
  }
  int32_t Add(const std::string& call, int32_t result) {
    calls.push_back(call);
    return result;
  }
  int32_t Create(const std::string& call) { return Add(call, nextID++); }
};

// A display of a chosen size, a clock that each pass of the message loop moves on by
// `step` ms, and a log in memory.
class TFakeHost : public TScriptHost {
public:
  int32_t width = 1365, height = 767;
  uint32_t now = 1000, step = 7;
  int passes = 0;
  int quitAtPass = -1;   // the pass on which the host's quit message arrives
  std::vector<uint32_t> waits;  // waitMs of each pass
  std::vector<std::string> log;

  int screenQueries = 0;  // asking the system for the display costs a call to it

  int32_t ScreenWidth() override { return ++screenQueries, width; }
  int32_t ScreenHeight() override { return ++screenQueries, height; }
  uint32_t TickCount() override { return now; }
  bool ProcessMessages(uint32_t waitMs) override {
    ++passes;
    waits.push_back(waitMs);
    now += step;
    return passes != quitAtPass;
  }
  void Log(const std::string& text) override { log.push_back(text); }
};
