#include "natives/proxy_rules.h"

#include <gtest/gtest.h>

namespace lnx {
namespace {

const std::nullopt_t kept = std::nullopt;

TEST(ProxyRules, BrowserSettingsWriteOnlyPresentTexts) {
  EXPECT_EQ((ProxySlots{u"true", u"http://wpad/proxy.pac", u"proxy:8080", u"<local>"}),
            browserProxySlots(true, u"http://wpad/proxy.pac", u"proxy:8080", u"<local>"));
  EXPECT_EQ((ProxySlots{u"false", kept, kept, kept}), browserProxySlots(false, nullptr, nullptr, nullptr));
  EXPECT_EQ((ProxySlots{u"false", kept, u"http=a:1;https=b:2", kept}),
            browserProxySlots(false, u"", u"http=a:1;https=b:2", u""))
      << "an empty text leaves its slot alone";
}

TEST(ProxyRules, OnlyANamedProxyCountsAsProxy) {
  EXPECT_EQ((ProxySlots{u"true", u"proxy:3128", u"*.local"}), proxyInfoSlots(3, u"proxy:3128", u"*.local"));
  for (uint32_t accessType : {0u, 1u, 4u})
    EXPECT_EQ((ProxySlots{u"false", kept, kept}), proxyInfoSlots(accessType, nullptr, u"")) << accessType;
  EXPECT_EQ((ProxySlots{u"false", u"stale:1", kept}), proxyInfoSlots(1, u"stale:1", nullptr))
      << "a text is passed on whatever the access type";
}

TEST(ProxyRules, StatusHoldsStageAboveErrorCode) {
  EXPECT_EQ(0, autoProxyStatus(AutoProxyStage::none, 0));
  EXPECT_EQ(0x2'0000'2F94LL, autoProxyStatus(AutoProxyStage::resolveProxy, 12180));
  EXPECT_EQ(0x1'0000'0057LL, autoProxyStatus(AutoProxyStage::openSession, 87));
  EXPECT_EQ(0x2'FFFF'FFFFLL, autoProxyStatus(AutoProxyStage::resolveProxy, 0xFFFFFFFF))
      << "a high error code does not spill into the stage";
}

} // namespace
} // namespace lnx
