// The console's lines for the operator on standard error, "KTRVtest: ...",
// and among them the library calls that fail, each with the cause the
// library knows: "KTRVtest: Start: VekRegisterProcess("127.0.0.l"): 5 the
// address breaks the rules".
//
// A failure is said once. Each handler's run (a poll tick, a click) names a
// result at most once, and a poll tick says nothing of a result the tick
// before met too: a failure that lasts is not repeated every 300 ms, while
// a changed result, or one that comes back, is said again. -2 is no failure
// to report: it is the console's state before Start and after Stop, which
// the status box and its tooltip show.
#ifndef KTRV_FAILURE_REPORTS_H
#define KTRV_FAILURE_REPORTS_H

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "result_text.h"

namespace ktrv {

// Where the lines go: one line each, without its line end.
using ErrorLines = std::function<void(const std::string &line)>;
void writeToStandardError(const std::string &line);

class FailureReports {
 public:
  explicit FailureReports(ErrorLines out) : out_(std::move(out)) {}

  // One run of a handler, named as the operator knows it ("poll", the
  // caption of a button); runs nest where a waiting command lets others run.
  class Run {
   public:
    Run(FailureReports &reports, const std::string &handler, bool repeats);
    ~Run() { reports_.running_.pop_back(); }
    Run(const Run &) = delete;
    Run &operator=(const Run &) = delete;

   private:
    FailureReports &reports_;
  };

  // A result that is reported: not 0, and not -2.
  static bool isFailure(std::int16_t result);
  // After a library call: "VekRead(\"/t1/wt101\")", its result, and what
  // the call was about.
  void after(const std::string &call, std::int16_t result, vekx_common::ResultOrigin origin,
             const vekx_common::CallContext &context);
  // A line with the program's name in front.
  void say(const std::string &text) const;

 private:
  struct Met {
    std::set<std::int16_t> previous;  // a repeating handler's last run
    std::set<std::int16_t> current;
  };
  ErrorLines out_;
  std::map<std::string, Met> met_;
  std::vector<std::string> running_;  // innermost last
};

}  // namespace ktrv

#endif
