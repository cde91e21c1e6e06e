#include "natives/service_rules.h"

#include <algorithm>

namespace lnx {

std::optional<std::u16string> dependencyList(std::u16string_view text) {
  text = text.substr(0, text.find(u'\0'));
  std::u16string list;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = std::min(text.find(u',', start), text.size());
    if (comma > start) {
      list.append(text.substr(start, comma - start));
      list.push_back(u'\0');
    }
    start = comma + 1;
  }
  list.push_back(u'\0');
  if (list.size() == 1) list.push_back(u'\0');
  if (list.size() > kDependencyListUnits) return std::nullopt;
  return list;
}

std::u16string serviceAccountName(std::u16string account) {
  if (account == u"NT AUTHORITY\\System" || account == u"NT AUTHORITY\\LocalSystem") return u"LocalSystem";
  return account;
}

int waitForServiceStop(ServiceStopWatch& watch, int32_t timeLimitMillis) {
  const uint32_t timeLimit = timeLimitMillis > 0 ? static_cast<uint32_t>(timeLimitMillis) : 0;
  std::optional<ServiceStopStatus> status = watch.queryStatus();
  if (!status) return kServiceStatusQueryFailed;
  const uint32_t start = watch.tickCount();
  uint32_t lastProgress = start;
  uint32_t checkPoint = status->checkPoint;
  while (status->state != kServiceStoppedState) {
    watch.sleep(kStopPollMillis);
    status = watch.queryStatus();
    if (!status) return kServiceStatusQueryFailed;
    const uint32_t now = watch.tickCount();
    if (status->checkPoint > checkPoint) {
      checkPoint = status->checkPoint;
      lastProgress = now;
      continue;
    }
    if (now - lastProgress > status->waitHint && now - start > timeLimit) break;
  }
  return status->state == kServiceStoppedState ? 0 : kServiceStillRunning;
}

} // namespace lnx
