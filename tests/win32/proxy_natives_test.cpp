// The Win32Proxy natives against Wine's WinHTTP: the browser and default settings it reads
// from proxy settings this test writes into the registry (and takes out again), and the
// proxy for a URL from a configuration script served on the loopback interface; called
// through the export table with the fake VM as their JNIEnv.
#include <winsock2.h> // before windows.h

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "jni_fake/fake_jvm.h"
#include "native_test.h"

namespace lnx {
namespace {

constexpr char kProxyClass[] = "com/lanternix/runtime/installer/platform/win32/Win32Proxy";
constexpr wchar_t kConnectionsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
constexpr uint32_t kBrowserSettingsMagic = 0x46;
constexpr uint32_t kDefaultSettingsMagic = 0x18;
constexpr uint32_t kUsesProxy = 2;
constexpr uint32_t kUsesScript = 4;
constexpr uint32_t kDetects = 8;
constexpr jint kAutoDetect = 1; // WINHTTP_AUTOPROXY_AUTO_DETECT
constexpr jint kScriptUrl = 2;  // WINHTTP_AUTOPROXY_CONFIG_URL
constexpr jint kDhcpAndDns = 3; // WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A
constexpr jlong kResolveStage = 2LL << 32;
constexpr jlong kAutodetectionFailed = 12180;    // ERROR_WINHTTP_AUTODETECTION_FAILED
constexpr jlong kUnableToDownloadScript = 12167; // ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT

using Bytes = std::vector<uint8_t>;
using ConfigNative = jint(JNICALL*)(JNIEnv*, jclass, jobjectArray);
using AutoProxyNative = jlong(JNICALL*)(JNIEnv*, jclass, jobjectArray, jstring, jstring, jint, jint, jboolean);
using LoadNative = jboolean(JNICALL*)(JNIEnv*, jclass);

template <typename Function> NativeMethod<Function> proxyNative(const char* method) {
  return nativeFunction<Function>(kProxyClass, method);
}

// Proxy settings as the registry keeps them: magic, a zero, flags, then each text as a
// 32-bit length and its bytes.
Bytes settingsData(uint32_t magic, uint32_t flags, const std::vector<std::string>& texts) {
  Bytes data;
  auto append = [&data](uint32_t number) {
    for (int shift = 0; shift < 32; shift += 8)
      data.push_back(static_cast<uint8_t>(number >> shift));
  };
  append(magic);
  append(0);
  append(flags);
  for (const std::string& text : texts) {
    append(static_cast<uint32_t>(text.size()));
    data.insert(data.end(), text.begin(), text.end());
  }
  return data;
}

// A registry value the test replaces; what stood there before is put back at the end.
class ReplacedValue {
public:
  ReplacedValue(HKEY root, const wchar_t* name) : root_(root), name_(name) {
    DWORD size = 0;
    if (RegGetValueW(root_, kConnectionsKey, name_, RRF_RT_ANY, &type_, nullptr, &size) != ERROR_SUCCESS) return;
    Bytes data(size);
    if (RegGetValueW(root_, kConnectionsKey, name_, RRF_RT_ANY, nullptr, data.data(), &size) == ERROR_SUCCESS)
      before_ = data;
  }
  ~ReplacedValue() {
    if (before_)
      RegSetKeyValueW(root_, kConnectionsKey, name_, type_, before_->data(), static_cast<DWORD>(before_->size()));
    else
      remove();
  }
  ReplacedValue(const ReplacedValue&) = delete;
  ReplacedValue& operator=(const ReplacedValue&) = delete;

  bool set(const Bytes& data) {
    return RegSetKeyValueW(root_, kConnectionsKey, name_, REG_BINARY, data.data(), static_cast<DWORD>(data.size())) ==
           ERROR_SUCCESS;
  }
  void remove() { RegDeleteKeyValueW(root_, kConnectionsKey, name_); }

private:
  HKEY root_;
  const wchar_t* name_;
  DWORD type_ = REG_NONE;
  std::optional<Bytes> before_;
};

// An HTTP server on the loopback interface that answers one request with a proxy
// configuration script. The socket functions are looked up at run time: the test program
// links no socket library.
class ScriptServer {
public:
  explicit ScriptServer(const std::string& script) {
    HMODULE sockets = LoadLibraryW(L"ws2_32.dll");
    lookUp(sockets, "WSAStartup", startup_);
    lookUp(sockets, "socket", socket_);
    lookUp(sockets, "bind", bind_);
    lookUp(sockets, "listen", listen_);
    lookUp(sockets, "getsockname", getsockname_);
    lookUp(sockets, "accept", accept_);
    lookUp(sockets, "recv", recv_);
    lookUp(sockets, "send", send_);
    lookUp(sockets, "closesocket", closesocket_);
    WSADATA version{};
    if (!closesocket_ || startup_(MAKEWORD(2, 2), &version) != 0) return;
    listener_ = socket_(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = 0x0100007F; // 127.0.0.1 in network order
    int size = sizeof address;
    if (listener_ == INVALID_SOCKET || bind_(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen_(listener_, 1) != 0 || getsockname_(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
      return;
    port_ = static_cast<uint16_t>((address.sin_port & 0xFF) << 8 | address.sin_port >> 8);
    std::string response = "HTTP/1.0 200 OK\r\nContent-Type: application/x-ns-proxy-autoconfig\r\nContent-Length: " +
                           std::to_string(script.size()) + "\r\nConnection: close\r\n\r\n" + script;
    serving_ = std::thread([this, response] { answerOne(response); });
  }
  ~ScriptServer() {
    if (listener_ != INVALID_SOCKET) closesocket_(listener_); // ends a wait for a request that never came
    if (serving_.joinable()) serving_.join();
  }
  ScriptServer(const ScriptServer&) = delete;
  ScriptServer& operator=(const ScriptServer&) = delete;

  bool listening() const { return port_ != 0; }
  std::u16string url() const { return u"http://127.0.0.1:" + ascii(std::to_string(port_)) + u"/proxy.pac"; }

private:
  template <typename Function> static void lookUp(HMODULE module, const char* name, Function& function) {
    function = module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
  }
  static std::u16string ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

  void answerOne(const std::string& response) {
    SOCKET client = accept_(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    std::string request;
    char buffer[1024];
    int received = 0;
    while (request.find("\r\n\r\n") == std::string::npos && (received = recv_(client, buffer, sizeof buffer, 0)) > 0)
      request.append(buffer, static_cast<size_t>(received));
    send_(client, response.data(), static_cast<int>(response.size()), 0);
    closesocket_(client);
  }

  decltype(&WSAStartup) startup_ = nullptr;
  decltype(&socket) socket_ = nullptr;
  decltype(&bind) bind_ = nullptr;
  decltype(&listen) listen_ = nullptr;
  decltype(&getsockname) getsockname_ = nullptr;
  decltype(&accept) accept_ = nullptr;
  decltype(&recv) recv_ = nullptr;
  decltype(&send) send_ = nullptr;
  decltype(&closesocket) closesocket_ = nullptr;
  SOCKET listener_ = INVALID_SOCKET;
  uint16_t port_ = 0;
  std::thread serving_;
};

class ProxyNatives : public NativeTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(getIEConfig && getDefaultConfig && getAutoProxyConfig && loadFunctions)
        << "every Win32Proxy native is exported under its decorated name";
    ASSERT_EQ(0u, GetEnvironmentVariableW(L"http_proxy", nullptr, 0)) << "WinHTTP would take the proxy from it";
  }


  // A result array of count slots, each holding its own placeholder ("s0", "s1", ...).
  jobjectArray slots(size_t count) {
    std::vector<std::optional<std::u16string>> placeholders;
    for (size_t index = 0; index < count; ++index)
      placeholders.push_back(u"s" + std::u16string(1, static_cast<char16_t>(u'0' + index)));
    return jvm.newStringArray(placeholders);
  }
  jlong proxyForUrl(jobjectArray result, const char16_t* url, const std::optional<std::u16string>& script, jint flags,
                    jint detectFlags = 0) {
    return getAutoProxyConfig(env, nullptr, result, url ? jvm.newString(url) : nullptr,
                              script ? jvm.newString(*script) : nullptr, flags, detectFlags, false);
  }


  NativeMethod<ConfigNative> getIEConfig = proxyNative<ConfigNative>("getIEConfig0");
  NativeMethod<ConfigNative> getDefaultConfig = proxyNative<ConfigNative>("getDefaultConfig0");
  NativeMethod<AutoProxyNative> getAutoProxyConfig = proxyNative<AutoProxyNative>("getAutoProxyConfig0");
  NativeMethod<LoadNative> loadFunctions = proxyNative<LoadNative>("loadFunctions0");
};

TEST_F(ProxyNatives, BrowserSettingsComeFromTheUsersConnectionSettings) {
  ReplacedValue settings(HKEY_CURRENT_USER, L"DefaultConnectionSettings");
  settings.remove();
  jobjectArray result = slots(4);
  ASSERT_EQ(0, getIEConfig(env, nullptr, result));
  // Wine reports automatic detection when nothing is configured (Windows would not).
  EXPECT_EQ(R"(["true", "s1", "s2", "s3"])", shown(result)) << "texts it does not have leave their slots alone";

  ASSERT_TRUE(settings.set(settingsData(kBrowserSettingsMagic, kUsesProxy, {"proxy.test:8080", "<local>", ""})));
  result = slots(4);
  ASSERT_EQ(0, getIEConfig(env, nullptr, result));
  EXPECT_EQ(R"(["false", "s1", "proxy.test:8080", "<local>"])", shown(result));

  ASSERT_TRUE(settings.set(settingsData(kBrowserSettingsMagic, kUsesProxy | kUsesScript | kDetects,
                                        {"http=a:1;https=b:2", "", "http://wpad.test/proxy.pac"})));
  result = slots(5);
  ASSERT_EQ(0, getIEConfig(env, nullptr, result));
  EXPECT_EQ(R"(["true", "http://wpad.test/proxy.pac", "http=a:1;https=b:2", "s3", "s4"])", shown(result));
}

TEST_F(ProxyNatives, DefaultConfigurationNamesAProxyOnlyWhenConfigured) {
  ReplacedValue settings(HKEY_LOCAL_MACHINE, L"WinHttpSettings");
  settings.remove();
  jobjectArray result = slots(4);
  ASSERT_EQ(0, getDefaultConfig(env, nullptr, result));
  EXPECT_EQ(R"(["false", "s1", "s2", "s3"])", shown(result));

  ASSERT_TRUE(settings.set(settingsData(kDefaultSettingsMagic, kUsesProxy, {"proxy.test:3128", ""})));
  result = slots(4);
  ASSERT_EQ(0, getDefaultConfig(env, nullptr, result));
  EXPECT_EQ(R"(["true", "proxy.test:3128", "s2", "s3"])", shown(result)) << "an empty bypass list is no text";

  ASSERT_TRUE(settings.set(settingsData(kDefaultSettingsMagic, kUsesProxy, {"proxy.test:3128", "*.local;<local>"})));
  result = slots(4);
  ASSERT_EQ(0, getDefaultConfig(env, nullptr, result));
  EXPECT_EQ(R"(["true", "proxy.test:3128", "*.local;<local>", "s3"])", shown(result)) << "slot 3 is never written";
}

TEST_F(ProxyNatives, ResultArraysAreWrittenOnlyWhereTheyHaveSlots) {
  ReplacedValue settings(HKEY_CURRENT_USER, L"DefaultConnectionSettings");
  ASSERT_TRUE(settings.set(settingsData(kBrowserSettingsMagic, kUsesProxy | kUsesScript,
                                        {"proxy.test:8080", "<local>", "http://wpad.test/proxy.pac"})));
  jobjectArray result = slots(2);
  EXPECT_EQ(0, getIEConfig(env, nullptr, result));
  EXPECT_EQ(R"(["false", "http://wpad.test/proxy.pac"])", shown(result));
  EXPECT_EQ(0, getIEConfig(env, nullptr, nullptr));
  EXPECT_EQ(0, getDefaultConfig(env, nullptr, nullptr));
}

TEST_F(ProxyNatives, ProxyForAUrlComesFromTheConfigurationScript) {
  EXPECT_TRUE(loadFunctions(env, nullptr));
  ScriptServer server(R"(function FindProxyForURL(url, host) { return "PROXY proxy.test:8080; DIRECT"; })");
  ASSERT_TRUE(server.listening());
  jobjectArray result = slots(4);
  ASSERT_EQ(0, proxyForUrl(result, u"http://www.example.test/setup.bin", server.url(), kScriptUrl));
  EXPECT_EQ(R"(["true", "proxy.test:8080", "s2", "s3"])", shown(result)) << "the script names no bypass list";
}

TEST_F(ProxyNatives, FailedLookUpsReportStageAndError) {
  jobjectArray result = slots(4);
  EXPECT_EQ(0, proxyForUrl(result, nullptr, u"http://127.0.0.1:1/none.pac", kScriptUrl)) << "no URL: nothing asked";
  EXPECT_EQ(kResolveStage | kAutodetectionFailed,
            proxyForUrl(result, u"http://www.example.test/", std::nullopt, kAutoDetect, kDhcpAndDns));
  EXPECT_EQ(kResolveStage | kUnableToDownloadScript,
            proxyForUrl(result, u"http://www.example.test/", u"http://127.0.0.1:1/none.pac", kScriptUrl));
  EXPECT_EQ(kResolveStage | ERROR_INVALID_PARAMETER,
            proxyForUrl(result, u"http://www.example.test/", std::nullopt, kScriptUrl))
      << "a script look-up without a script URL";
  EXPECT_EQ(R"(["s0", "s1", "s2", "s3"])", shown(result)) << "failures write nothing";
}

} // namespace
} // namespace lnx
