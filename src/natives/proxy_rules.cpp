#include "natives/proxy_rules.h"

namespace lnx {

namespace {

std::optional<std::u16string> slotText(const char16_t* text) {
  if (!text || *text == u'\0') return std::nullopt;
  return std::u16string(text);
}

std::u16string flagText(bool flag) { return flag ? u"true" : u"false"; }

} // namespace

ProxySlots browserProxySlots(bool autoDetect, const char16_t* scriptUrl, const char16_t* proxyList,
                             const char16_t* bypassList) {
  return {flagText(autoDetect), slotText(scriptUrl), slotText(proxyList), slotText(bypassList)};
}

ProxySlots proxyInfoSlots(uint32_t accessType, const char16_t* proxyList, const char16_t* bypassList) {
  return {flagText(accessType == kNamedProxyAccessType), slotText(proxyList), slotText(bypassList)};
}

int64_t autoProxyStatus(AutoProxyStage stage, uint32_t errorCode) {
  return static_cast<int64_t>(static_cast<uint64_t>(stage) << 32 | errorCode);
}

} // namespace lnx
