// The natives of the Java class ShellLink: shortcut files made with the shell's COM link
// object (COM must be initialised on the calling thread, by initialize0), and shell
// notifications of a created file and a changed directory.
#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "win32/com_pointer.h"
#include "text/utf16.h"

namespace lnx {

namespace {

struct LinkSettings {
  std::optional<std::wstring> linkPath;
  std::optional<std::wstring> targetPath;
  std::optional<std::wstring> workingDirectory;
  std::optional<std::wstring> iconFile;
  std::optional<std::wstring> arguments;
  bool runAsAdministrator = false;
  std::optional<std::wstring> description;
  int showCommand = 0;
};

// Sets the run-as-administrator flag among the link's data flags.
bool requestAdministrator(IShellLinkW* link) {
  ComPointer<IShellLinkDataList> dataList = queryInterface<IShellLinkDataList>(link);
  DWORD flags = 0;
  return dataList && SUCCEEDED(dataList->GetFlags(&flags)) && SUCCEEDED(dataList->SetFlags(flags | SLDF_RUNAS_USER));
}

// Creates the link file; false when COM is not initialised on this thread, the link object
// or one of its interfaces cannot be had, or the file cannot be saved.
bool createLink(const LinkSettings& settings) {
  // Without a name the object would save to the file it remembers, and a new one has none.
  if (!settings.linkPath) return false;
  void* created = nullptr;
  if (FAILED(CoCreateInstance(__uuidof(ShellLink), nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkW), &created)))
    return false;
  ComPointer<IShellLinkW> link(static_cast<IShellLinkW*>(created));
  // The setters' results do not decide the outcome. Missing texts are not passed on: the
  // link object would read through a null pointer for some of them.
  if (settings.targetPath) link->SetPath(settings.targetPath->c_str());
  if (settings.workingDirectory) link->SetWorkingDirectory(settings.workingDirectory->c_str());
  if (settings.iconFile) link->SetIconLocation(settings.iconFile->c_str(), 0);
  if (settings.arguments) link->SetArguments(settings.arguments->c_str());
  if (settings.description) link->SetDescription(settings.description->c_str());
  link->SetShowCmd(settings.showCommand);
  ComPointer<IPersistFile> file = queryInterface<IPersistFile>(link.get());
  if (!file) return false;
  if (settings.runAsAdministrator && !requestAdministrator(link.get())) return false;
  return SUCCEEDED(file->Save(settings.linkPath->c_str(), TRUE));
}

// The path a byte array holds as UTF-16LE text: up to its first NUL, or all of it when it
// has none (an odd last byte is left out); nothing for a null array.
std::optional<std::wstring> pathOfBytes(JNIEnv* env, jbyteArray bytes) {
  if (!bytes) return std::nullopt;
  std::vector<jbyte> data(static_cast<size_t>(env->GetArrayLength(bytes)));
  env->GetByteArrayRegion(bytes, 0, static_cast<jsize>(data.size()), data.data());
  std::wstring text = decodeUtf16Le(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  return text.substr(0, text.find(L'\0'));
}

constexpr LONG kItemCreated = 0x00000002;      // SHCNE_CREATE
constexpr LONG kDirectoryUpdated = 0x00001000; // SHCNE_UPDATEDIR
constexpr UINT kWidePath = 0x0005;             // SHCNF_PATHW
constexpr UINT kWidePathFlushed = 0x1005;      // SHCNF_PATHW | SHCNF_FLUSH

} // namespace

} // namespace lnx

// Exported only under their decorated names (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_ShellLink_createWide0(
    JNIEnv* env, jclass, jstring linkPath, jstring targetPath, jstring workingDirectory, jstring iconFile,
    jstring arguments, jboolean runAsAdministrator, jstring description, jint showCommand) try {
  lnx::LinkSettings settings;
  settings.linkPath = lnx::javaStringToWide(env, linkPath);
  settings.targetPath = lnx::javaStringToWide(env, targetPath);
  settings.workingDirectory = lnx::javaStringToWide(env, workingDirectory);
  settings.iconFile = lnx::javaStringToWide(env, iconFile);
  settings.arguments = lnx::javaStringToWide(env, arguments);
  settings.runAsAdministrator = runAsAdministrator;
  settings.description = lnx::javaStringToWide(env, description);
  settings.showCommand = showCommand;
  return lnx::createLink(settings);
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_ShellLink_createWide0, 40);

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_ShellLink_changeNotify0(
    JNIEnv* env, jclass, jbyteArray createdItemPath, jbyteArray changedDirectoryPath) try {
  std::optional<std::wstring> createdItem = lnx::pathOfBytes(env, createdItemPath);
  std::optional<std::wstring> changedDirectory = lnx::pathOfBytes(env, changedDirectoryPath);
  if (!lnx::loadShellFunctions()) return true;
  lnx::ShChangeNotifyFunction changeNotify = lnx::shellFunctions().changeNotify;
  // A missing path is no notification.
  if (createdItem) changeNotify(lnx::kItemCreated, lnx::kWidePath, createdItem->c_str(), nullptr);
  if (changedDirectory) changeNotify(lnx::kDirectoryUpdated, lnx::kWidePathFlushed, changedDirectory->c_str(), nullptr);
  return true;
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_ShellLink_changeNotify0, 16);

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_ShellLink_initialize0(JNIEnv*, jclass) try {
  // A failure shows later, as links that cannot be created.
  CoInitialize(nullptr);
  return true;
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_ShellLink_initialize0, 8);

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_ShellLink_uninitialize(JNIEnv*, jclass) try {
  CoUninitialize();
  return true;
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_ShellLink_uninitialize, 8);

} // extern "C"
