// The natives of the Java class Registry: root code, key path, value name, value object
// and view flags turned into registry calls, and the results back into Java objects.
// They never throw: a failure is false, null or nothing, and a key that cannot be opened
// looks like a missing one.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "natives/registry_values.h"
#include "win32/privileges.h"
#include "win32/procedure.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

constexpr DWORD kReadAccess = KEY_READ;                         // 0x20019
constexpr DWORD kReadAndSetAccess = KEY_READ | KEY_SET_VALUE;   // 0x2001B
constexpr DWORD kCreateAccess = KEY_ALL_ACCESS;                 // 0xF003F
constexpr DWORD kNameBufferUnits = 4096;
constexpr DWORD kDeletionNameUnits = 1024;
constexpr LONG kAssociationsChanged = 0x08000000; // SHCNE_ASSOCCHANGED
constexpr UINT kItemIdLists = 0;                   // SHCNF_IDLIST

enum class KeyMode { read, readAndSet, create };

HKEY registryRootKey(jint code) {
  switch (code) {
  case 1:
    return HKEY_CLASSES_ROOT;
  case 2:
    return HKEY_CURRENT_USER;
  case 3:
    return HKEY_LOCAL_MACHINE;
  case 4:
    return HKEY_USERS;
  case 5:
    return HKEY_CURRENT_CONFIG;
  default:
    return nullptr;
  }
}

RegistryKey openRegistryKey(jint rootCode, jint view, const wchar_t* path, KeyMode mode) {
  HKEY root = registryRootKey(rootCode);
  if (!root)
    return RegistryKey();
  HKEY opened = nullptr;
  DWORD viewFlags = static_cast<DWORD>(view);
  LSTATUS result =
      mode == KeyMode::create
          ? RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, viewFlags | kCreateAccess, nullptr,
                            &opened, nullptr)
          : RegOpenKeyExW(root, path, 0, viewFlags | (mode == KeyMode::read ? kReadAccess : kReadAndSetAccess),
                          &opened);
  return RegistryKey(result == ERROR_SUCCESS ? opened : nullptr);
}

RegistryKey openRegistryKey(JNIEnv* env, jint rootCode, jstring keyPath, jint view, KeyMode mode) {
  return openRegistryKey(rootCode, view, wideOrNull(javaStringToWide(env, keyPath)), mode);
}

// The text a Win32 call would see: up to the first NUL.
std::u16string callText(const std::optional<std::wstring>& text) {
  return text ? std::u16string(reinterpret_cast<const char16_t*>(text->c_str())) : std::u16string();
}

jstring javaString(JNIEnv* env, const std::u16string& text) {
  return newJavaString(env, std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
}

// An object of className built by its constructor of descriptor from one argument.
jobject newObject(JNIEnv* env, const char* className, const char* descriptor, jvalue argument) {
  jclass type = checked(env, env->FindClass(className));
  jmethodID constructor = checked(env, env->GetMethodID(type, "<init>", descriptor));
  return checked(env, env->NewObjectA(type, constructor, &argument));
}

jobject valueObject(JNIEnv* env, DWORD type, const uint8_t* data, DWORD size) {
  switch (type) {
  case REG_SZ:
    return javaString(env, registryText(data, size));
  case REG_EXPAND_SZ: {
    jvalue text{};
    text.l = javaString(env, registryText(data, size));
    return newObject(env, "com/lanternix/api/windows/WinRegistry$ExpandString", "(Ljava/lang/String;)V", text);
  }
  case REG_BINARY: {
    jbyteArray bytes = checked(env, env->NewByteArray(static_cast<jsize>(size)));
    env->SetByteArrayRegion(bytes, 0, static_cast<jsize>(size), reinterpret_cast<const jbyte*>(data));
    return bytes;
  }
  case REG_DWORD: {
    jvalue number{};
    number.i = registryDword(data, size);
    return newObject(env, "java/lang/Integer", "(I)V", number);
  }
  case REG_MULTI_SZ: {
    std::vector<std::optional<std::wstring>> texts;
    for (const std::u16string& text : registryTexts(data, size))
      texts.emplace_back(std::wstring(text.begin(), text.end()));
    return newJavaStringArray(env, texts);
  }
  default:
    return nullptr;
  }
}

// The class a value object of a type code must have; null for an unknown code.
const char* valueClass(jint typeCode) {
  switch (typeCode) {
  case 1:
  case 5: return "java/lang/String";
  case 2: return "java/lang/Integer";
  case 3: return "[Ljava/lang/String;";
  case 4: return "[B";
  default: return nullptr;
  }
}

// Whether value may be used as the type code's object: a cast to the wrong class would be
// undefined JNI use (a crash on a real VM).
bool hasValueClass(JNIEnv* env, jobject value, jint typeCode) {
  const char* className = valueClass(typeCode);
  jclass wanted = className ? env->FindClass(className) : nullptr;
  if (!wanted) {
    env->ExceptionClear();
    return false;
  }
  bool matches = env->IsInstanceOf(value, wanted);
  env->DeleteLocalRef(wanted);
  return matches;
}

// The data setValue0 writes for a type code; nothing when the object cannot give it.
std::optional<std::vector<uint8_t>> valueData(JNIEnv* env, jobject value, jint typeCode) {
  if (!value || !hasValueClass(env, value, typeCode))
    return std::nullopt;
  switch (typeCode) {
  case 1:
  case 5:
    return registryTextData(callText(javaStringToWide(env, static_cast<jstring>(value))));
  case 2: {
    jclass integerClass = checked(env, env->FindClass("java/lang/Integer"));
    jmethodID intValue = checked(env, env->GetMethodID(integerClass, "intValue", "()I"));
    uint32_t number = static_cast<uint32_t>(env->CallIntMethod(value, intValue));
    return std::vector<uint8_t>{static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                                static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
  }
  case 3: {
    std::optional<std::vector<std::optional<std::wstring>>> elements =
        javaStringArrayToWide(env, static_cast<jobjectArray>(value));
    std::vector<std::u16string> texts;
    for (const std::optional<std::wstring>& element : *elements) {
      if (!element)
        return std::nullopt; // a null entry cannot be stored, like an empty one
      texts.push_back(callText(element));
    }
    return registryTextsData(texts);
  }
  case 4: {
    auto array = static_cast<jbyteArray>(value);
    jsize length = std::min<jsize>(env->GetArrayLength(array), static_cast<jsize>(kRegistryValueBufferBytes));
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    env->GetByteArrayRegion(array, 0, length, reinterpret_cast<jbyte*>(bytes.data()));
    return bytes;
  }
  default:
    return std::nullopt;
  }
}

DWORD registryType(jint typeCode) {
  static const DWORD types[] = {REG_NONE, REG_SZ, REG_DWORD, REG_MULTI_SZ, REG_BINARY, REG_EXPAND_SZ};
  return types[typeCode];
}

using RegDeleteKeyExWFunction = LSTATUS(WINAPI*)(HKEY, const wchar_t*, REGSAM, DWORD);

// Deletes the key name below parent and, first, its whole subtree, deepest keys first.
// Results are not checked: a key that cannot be deleted stays.
void deleteKeyTree(HKEY parent, const wchar_t* name, jint view) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(parent, name, 0, static_cast<DWORD>(view) | kReadAccess, &opened) != ERROR_SUCCESS)
    return;
  RegistryKey key(opened);
  std::vector<std::wstring> children;
  for (DWORD index = 0;; ++index) {
    wchar_t child[kDeletionNameUnits];
    DWORD childUnits = kDeletionNameUnits;
    if (RegEnumKeyExW(key.get(), index, child, &childUnits, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    children.emplace_back(child, childUnits);
  }
  for (auto child = children.rbegin(); child != children.rend(); ++child)
    deleteKeyTree(key.get(), child->c_str(), view);
  key.reset();
  auto deleteKeyEx = systemFunction<RegDeleteKeyExWFunction>(L"advapi32.dll", "RegDeleteKeyExW");
  if (view != 0 && deleteKeyEx)
    deleteKeyEx(parent, name, static_cast<REGSAM>(view), 0);
  else
    RegDeleteKeyW(parent, name);
}

// The key holds no subkey and no value; false also when it cannot be queried.
bool isEmptyKey(HKEY key) {
  DWORD subkeys = 0;
  DWORD values = 0;
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                          nullptr, nullptr) == ERROR_SUCCESS &&
         subkeys == 0 && values == 0;
}

enum class NameKind { subkeys, values };

jobjectArray enumerateNames(JNIEnv* env, jint rootCode, jstring keyPath, jint view, NameKind kind) {
  RegistryKey key = openRegistryKey(env, rootCode, keyPath, view, KeyMode::read);
  if (!key.valid())
    return nullptr;
  std::vector<std::optional<std::wstring>> names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[kNameBufferUnits];
    wchar_t className[kNameBufferUnits];
    DWORD nameUnits = kNameBufferUnits;
    DWORD classUnits = kNameBufferUnits;
    LSTATUS result =
        kind == NameKind::subkeys
            ? RegEnumKeyExW(key.get(), index, name, &nameUnits, nullptr, className, &classUnits, nullptr)
            : RegEnumValueW(key.get(), index, name, &nameUnits, nullptr, nullptr, nullptr, nullptr);
    // Any other failure (a name too long, the key deleted meanwhile) ends the list too:
    // the index only grows, and a key has finitely many entries.
    if (result == ERROR_NO_MORE_ITEMS || (result != ERROR_SUCCESS && result != ERROR_MORE_DATA))
      break;
    if (result != ERROR_SUCCESS)
      continue;
    names.emplace_back(std::wstring(name, nameUnits));
  }
  return newJavaStringArray(env, names);
}

} // namespace

} // namespace lnx

using lnx::KeyMode;

// Exported only under their decorated names (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_Registry_keyExists0(
    JNIEnv* env, jclass, jint root, jstring keyPath, jint view) try {
  return lnx::openRegistryKey(env, root, keyPath, view, KeyMode::read).valid();
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Registry_keyExists0, 20);

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_Registry_createKey0(
    JNIEnv* env, jclass, jint root, jstring keyPath, jint view) try {
  return lnx::openRegistryKey(env, root, keyPath, view, KeyMode::create).valid();
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Registry_createKey0, 20);

jobject JNICALL Java_com_lanternix_runtime_installer_platform_win32_Registry_getValue0(
    JNIEnv* env, jclass, jint root, jstring keyPath, jstring valueName, jint view) try {
  lnx::RegistryKey key = lnx::openRegistryKey(env, root, keyPath, view, KeyMode::read);
  if (!key.valid())
    return nullptr;
  std::vector<uint8_t> data(lnx::kRegistryValueBufferBytes);
  DWORD size = static_cast<DWORD>(data.size());
  DWORD type = REG_NONE;
  if (RegQueryValueExW(key.get(), lnx::wideOrNull(lnx::javaStringToWide(env, valueName)), nullptr, &type,
                       data.data(), &size) != ERROR_SUCCESS)
    return nullptr;
  return lnx::valueObject(env, type, data.data(), size);
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Registry_getValue0, 24);

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_Registry_setValue0(
    JNIEnv* env, jclass, jint root, jstring keyPath, jstring valueName, jobject value, jint typeCode, jint view) try {
  lnx::RegistryKey key = lnx::openRegistryKey(env, root, keyPath, view, KeyMode::create);
  if (!key.valid())
    return false;
  if (typeCode < 1 || typeCode > 5)
    return false;
  std::optional<std::vector<uint8_t>> data = lnx::valueData(env, value, typeCode);
  if (!data)
    return false;
  LSTATUS result = RegSetValueExW(key.get(), lnx::wideOrNull(lnx::javaStringToWide(env, valueName)), 0,
                                  lnx::registryType(typeCode), data->data(), static_cast<DWORD>(data->size()));
  if (result != ERROR_SUCCESS) {
    std::printf("no success %d\n", static_cast<int>(result));
    std::fflush(stdout);
    return false;
  }
  return true;
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Registry_setValue0, 32);

void JNICALL Java_com_lanternix_runtime_installer_platform_win32_Registry_deleteValue0(
    JNIEnv* env, jclass, jint root, jstring keyPath, jstring valueName, jint view) try {
  lnx::RegistryKey key = lnx::openRegistryKey(env, root, keyPath, view, KeyMode::readAndSet);
  if (key.valid())
    RegDeleteValueW(key.get(), lnx::wideOrNull(lnx::javaStringToWide(env, valueName)));
} LNX_NATIVE_FAILS_WITH()
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Registry_deleteValue0, 24);

void JNICALL Java_com_lanternix_runtime_installer_platform_win32_Registry_deleteKey0(
    JNIEnv* env, jclass, jint root, jstring keyPath, jboolean onlyIfEmpty, jint view) try {
  HKEY rootKey = lnx::registryRootKey(root);
  std::optional<std::wstring> path = lnx::javaStringToWide(env, keyPath);
  // No path (or an empty one) names the root key itself, whose whole content the tree
  // deletion would remove: never done.
  if (!rootKey || !path || (*path)[0] == L'\0')
    return;
  if (onlyIfEmpty) {
    lnx::RegistryKey key = lnx::openRegistryKey(root, view, path->c_str(), KeyMode::readAndSet);
    if (key.valid() && !lnx::isEmptyKey(key.get()))
      return;
  }
  lnx::deleteKeyTree(rootKey, path->c_str(), view);
} LNX_NATIVE_FAILS_WITH()
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Registry_deleteKey0, 24);

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_Registry_saveKey0(
    JNIEnv* env, jclass, jint root, jstring keyPath, jstring filePath, jint view) try {
  if (!lnx::enablePrivilege(L"SeBackupPrivilege", true))
    return false;
  lnx::RegistryKey key = lnx::openRegistryKey(env, root, keyPath, view, KeyMode::readAndSet);
  return key.valid() && RegSaveKeyW(key.get(), lnx::wideOrNull(lnx::javaStringToWide(env, filePath)), nullptr) == 0;
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Registry_saveKey0, 24);

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_Registry_restoreKey0(
    JNIEnv* env, jclass, jint root, jstring keyPath, jstring filePath, jint view) try {
  if (!lnx::enablePrivilege(L"SeBackupPrivilege", true) || !lnx::enablePrivilege(L"SeRestorePrivilege", true))
    return false;
  lnx::RegistryKey key = lnx::openRegistryKey(env, root, keyPath, view, KeyMode::create);
  return key.valid() && RegRestoreKeyW(key.get(), lnx::wideOrNull(lnx::javaStringToWide(env, filePath)), 0) == 0;
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Registry_restoreKey0, 24);

jobjectArray JNICALL Java_com_lanternix_runtime_installer_platform_win32_Registry_enumSubKeys0(
    JNIEnv* env, jclass, jint root, jstring keyPath, jint view) try {
  return lnx::enumerateNames(env, root, keyPath, view, lnx::NameKind::subkeys);
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Registry_enumSubKeys0, 20);

jobjectArray JNICALL Java_com_lanternix_runtime_installer_platform_win32_Registry_enumValues0(
    JNIEnv* env, jclass, jint root, jstring keyPath, jint view) try {
  return lnx::enumerateNames(env, root, keyPath, view, lnx::NameKind::values);
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Registry_enumValues0, 20);

void JNICALL Java_com_lanternix_runtime_installer_platform_win32_Registry_changeNotifyAssociations0(JNIEnv*,
                                                                                                              jclass) try {
  if (lnx::loadShellFunctions())
    lnx::shellFunctions().changeNotify(lnx::kAssociationsChanged, lnx::kItemIdLists, nullptr, nullptr);
} LNX_NATIVE_FAILS_WITH()
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Registry_changeNotifyAssociations0, 8);

} // extern "C"
