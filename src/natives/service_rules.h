#pragma once
// What the service natives decide without the service control manager: the dependency
// multi-string, the account name handed on, and the wait for a stopping service. The
// natives make the calls; these rules are portable.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lnx {

// Results of the service natives besides 0 (success) and Windows error codes.
constexpr int kServiceManagerUnavailable = 5000; // the service control manager did not open
constexpr int kServiceStillRunning = 50001;      // the wait for the stop ended first
constexpr int kServiceStatusQueryFailed = 50002; // a status query failed during the wait

// Units of the dependency multi-string, its terminating NULs included.
constexpr size_t kDependencyListUnits = 8192;

// The comma-separated dependency names as a multi-string: every name followed by a NUL,
// then one more NUL; no names give two NULs. Runs of commas give no empty names, blanks
// stay. The text ends at its first NUL, as it would for a Win32 call. Nothing when the
// list would need more than kDependencyListUnits units.
std::optional<std::u16string> dependencyList(std::u16string_view text);

// The account to configure: the local system account named as "NT AUTHORITY\System" or
// "NT AUTHORITY\LocalSystem" (exactly so written) becomes "LocalSystem"; other names stay.
std::u16string serviceAccountName(std::u16string account);

// The part of a service's status that the stop wait follows.
struct ServiceStopStatus {
  uint32_t state = 0;
  uint32_t checkPoint = 0;
  uint32_t waitHint = 0;
};

constexpr uint32_t kServiceStoppedState = 1; // SERVICE_STOPPED
constexpr uint32_t kStopPollMillis = 500;

// The stopping service's status, the millisecond tick count and the pause between polls.
class ServiceStopWatch {
public:
  virtual ~ServiceStopWatch() = default;
  // Nothing when the status cannot be queried.
  virtual std::optional<ServiceStopStatus> queryStatus() = 0;
  virtual uint32_t tickCount() = 0;
  virtual void sleep(uint32_t milliseconds) = 0;
};

// Polls the status every kStopPollMillis until the service reports stopped (0). While its
// check point advances the wait goes on; otherwise it ends (kServiceStillRunning) once
// both the service's wait hint, counted from its last progress, and the time limit,
// counted from the start, have passed. A negative time limit counts as 0. A failed
// status query gives kServiceStatusQueryFailed. Tick differences wrap as 32-bit numbers.
int waitForServiceStop(ServiceStopWatch& watch, int32_t timeLimitMillis);

} // namespace lnx
