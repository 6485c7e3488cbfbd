#include "failure_reports.h"

#include <cstdio>

#include "vekxapi.h"

namespace ktrv {

void writeToStandardError(const std::string &line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

FailureReports::Run::Run(FailureReports &reports, const std::string &handler, bool repeats) : reports_(reports) {
  Met &met = reports_.met_[handler];
  met.previous = repeats ? std::move(met.current) : std::set<std::int16_t>();
  met.current.clear();
  reports_.running_.push_back(handler);
}

bool FailureReports::isFailure(std::int16_t result) { return result != VEKX_OK && result != VEKX_NOT_REGISTERED; }

void FailureReports::after(const std::string &call, std::int16_t result, vekx_common::ResultOrigin origin,
                           const vekx_common::CallContext &context) {
  if (!isFailure(result) || running_.empty()) return;
  Met &met = met_[running_.back()];
  if (!met.current.insert(result).second || met.previous.count(result) != 0) return;
  say(running_.back() + ": " + call + ": " + vekx_common::describe_result(result, origin, context));
}

void FailureReports::say(const std::string &text) const { out_("KTRVtest: " + text); }

}  // namespace ktrv
