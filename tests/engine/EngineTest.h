// Shared fixtures of the engine tests: a temporary folder of the test's own (under
// the working folder, never the user profile), file helpers, a message pump and a
// real window that records WM_SNRTHREAD reports.
#pragma once
#include <windows.h>
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>
#include "QzTestFiles.h"
#include "QzTestWait.h"
#include "uSearchAndReplaceThread.h"
#include "win/MessageWindow.h"

namespace enginetest {

using qztest::RemoveTree;

class TempDir {
public:
  const std::string& path() const { return folder_.path(); }
  std::string file(const std::string& name) const { return folder_ / name; }
  // Names in the folder, sorted.
  std::vector<std::string> names() const {
    std::vector<std::string> out = qztest::NamesIn(path());
    std::sort(out.begin(), out.end());
    return out;
  }

private:
  qztest::TempFolder folder_{"engine"};
};

inline void writeFile(const std::string& name, const std::string& data) {
  qztest::WriteWideFile(qztest::Wide(name), data);
}

// "<missing>" when the file cannot be opened.
inline std::string readFile(const std::string& name) { return qztest::ReadWideFile(qztest::Wide(name)); }

inline bool exists(const std::string& name) { return ::GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

template <class Pred>
bool pumpUntil(Pred done, DWORD ms = 10000) {
  return qztest::WaitUntil(done, ms, win::processMessages);
}

// A real window that receives the worker's reports, as the main window does; a
// batch of them (SNRTHREAD_LOGLINES) is recorded entry by entry.
class ReportWindow {
public:
  using Report = std::pair<WPARAM, std::string>;
  ReportWindow()
      : wnd_([this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& r) {
          if (msg != WM_SNRTHREAD) return false;
          ++messages;
          const char* text = reinterpret_cast<const char*>(lParam);
          if (wParam != SNRTHREAD_LOGLINES) {
            add(Report(wParam, text));
          } else {
            for (const char* p = text; *p;) {
              const WPARAM kind = static_cast<unsigned char>(*p++);
              add(Report(kind, p));
              p += std::strlen(p) + 1;
            }
            if (onBatch) onBatch();
          }
          r = 0;
          return true;
        }) {}
  HWND handle() const { return wnd_.handle(); }
  // The texts of the result lines, without "UPDATE".
  std::vector<std::string> lines() const {
    std::vector<std::string> out;
    for (const auto& r : reports)
      if (r.first == SNRTHREAD_LOGLINE && r.second != "UPDATE") out.push_back(r.second);
    return out;
  }
  int updates() const {
    int n = 0;
    for (const auto& r : reports) n += r.first == SNRTHREAD_LOGLINE && r.second == "UPDATE";
    return n;
  }
  std::vector<Report> reports;
  int messages = 0;
  std::function<void(const Report&)> onReport;
  std::function<void()> onBatch;  // once a batch's entries are recorded, while the worker waits

private:
  void add(Report r) {
    reports.push_back(std::move(r));
    if (onReport) onReport(reports.back());
  }
  win::MessageWindow wnd_;
};

}  // namespace enginetest
