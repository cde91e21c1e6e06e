// The native of the Java class ObjectPicker: the directory object picker for users,
// groups and well-known principals, shown modally on the calling thread over a window of
// the own process. The picks come back as ObjectPicker$Result objects; a failure or a
// cancelled picker is null.
#include <windows.h>

#include <objsel.h>
#include <oleauto.h>

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "win32/com_pointer.h"
#include "natives/object_picker_rules.h"
#include "win32/procedure.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

constexpr CLSID kPickerClass = {0x17D6CCD8, 0x3B7B, 0x11D2, {0xB9, 0xE0, 0x00, 0xC0, 0x4F, 0xD8, 0xDB, 0xF7}};
constexpr IID kPickerInterface = {0x0C87E64E, 0x3B7A, 0x11D2, {0xB9, 0xE0, 0x00, 0xC0, 0x4F, 0xD8, 0xDB, 0xF7}};
constexpr char kResultClass[] = "com/lanternix/runtime/installer/platform/win32/ObjectPicker$Result";
constexpr char kResultConstructor[] =
    "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)V";
constexpr wchar_t kSidAttribute[] = L"objectSID";
constexpr DWORD kConsoleTitleUnits = 8192;
constexpr DWORD kConsoleTitleWaitMs = 40;
constexpr ULONG kSidHeaderBytes = 8; // revision, sub-authority count, identifier authority


using ConvertSidFunction = BOOL(WINAPI*)(PSID sid, LPWSTR* text);

// ConvertSidToStringSidW, looked up once.
ConvertSidFunction convertSidToStringSid() {
  static const ConvertSidFunction function =
      systemFunction<ConvertSidFunction>(L"advapi32.dll", "ConvertSidToStringSidW");
  return function;
}

// The console window of the process, found by a title nobody else has; null without one.
HWND findOwnConsoleWindow() {
  std::vector<wchar_t> oldTitle(kConsoleTitleUnits, L'\0');
  GetConsoleTitleW(oldTitle.data(), kConsoleTitleUnits - 1); // the last unit stays the terminator
  std::wstring marker = std::to_wstring(static_cast<int>(GetTickCount())) + L"/" +
                        std::to_wstring(static_cast<int>(GetCurrentProcessId()));
  SetConsoleTitleW(marker.c_str());
  Sleep(kConsoleTitleWaitMs);
  HWND console = FindWindowW(nullptr, marker.c_str());
  SetConsoleTitleW(oldTitle.data());
  return console;
}

struct OwnWindowSearch {
  HWND console;
  HWND lastFound;
};

BOOL CALLBACK noteOwnWindow(HWND window, LPARAM search) {
  auto* found = reinterpret_cast<OwnWindowSearch*>(search);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == GetCurrentProcessId() && IsWindowVisible(window) && window != found->console)
    found->lastFound = window;
  return TRUE;
}

// The last visible top-level window of the own process that is not its console window,
// else the console window (searched for once); null when there is neither.
HWND findPickerParentWindow() {
  static const HWND console = findOwnConsoleWindow();
  OwnWindowSearch search{console, nullptr};
  EnumWindows(noteOwnWindow, reinterpret_cast<LPARAM>(&search));
  return search.lastFound ? search.lastFound : console;
}

// COM entered on the calling thread for the life of the object.
class ComApartment {
public:
  ComApartment() : entered_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComApartment() {
    if (entered_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool entered() const { return entered_; }

private:
  bool entered_;
};

// The picker, initialised with one scope for the kinds offered; null when it cannot be had.
ComPointer<IDsObjectPicker> createPicker(const ObjectPickerKinds& kinds, bool multipleSelection,
                                                      bool localComputerOnly) {
  void* created = nullptr;
  if (FAILED(CoCreateInstance(kPickerClass, nullptr, CLSCTX_INPROC_SERVER, kPickerInterface, &created))) return {};
  ComPointer<IDsObjectPicker> picker(static_cast<IDsObjectPicker*>(created));
  ObjectPickerScope scope = objectPickerScope(kinds, localComputerOnly);
  DSOP_SCOPE_INIT_INFO scopeInfo{};
  scopeInfo.cbSize = sizeof scopeInfo;
  scopeInfo.flType = scope.type;
  scopeInfo.flScope = scope.flags;
  scopeInfo.FilterFlags.Uplevel.flBothModes = scope.upLevelFilter;
  scopeInfo.FilterFlags.flDownlevel = scope.downLevelFilter;
  const wchar_t* attributes[] = {kSidAttribute};
  DSOP_INIT_INFO initInfo{};
  initInfo.cbSize = sizeof initInfo;
  initInfo.cDsScopeInfos = 1;
  initInfo.aDsScopeInfos = &scopeInfo;
  initInfo.flOptions = multipleSelection ? DSOP_FLAG_MULTISELECT : 0;
  initInfo.cAttributesToFetch = 1;
  initInfo.apwzAttributeNames = attributes;
  if (FAILED(picker.get()->Initialize(&initInfo))) return {};
  return picker;
}

// A data object's storage, released with the object.
struct StorageMedium {
  StorageMedium() = default;
  StorageMedium(const StorageMedium&) = delete;
  StorageMedium& operator=(const StorageMedium&) = delete;
  ~StorageMedium() { ReleaseStgMedium(&value); }
  STGMEDIUM value{};
};

// Global memory locked for the life of the object.
class LockedGlobal {
public:
  explicit LockedGlobal(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
  ~LockedGlobal() {
    if (data_) GlobalUnlock(memory_);
  }
  LockedGlobal(const LockedGlobal&) = delete;
  LockedGlobal& operator=(const LockedGlobal&) = delete;
  const void* data() const { return data_; }
  size_t size() const { return data_ ? GlobalSize(memory_) : 0; }

private:
  HGLOBAL memory_;
  void* data_;
};

// The list's selections all lie within the block.
bool holdsSelections(const DS_SELECTION_LIST& list, size_t blockSize) {
  size_t header = offsetof(DS_SELECTION_LIST, aDsSelection);
  return blockSize >= header && list.cItems <= (blockSize - header) / sizeof(DS_SELECTION);
}

jstring javaTextOrNull(JNIEnv* env, const wchar_t* text) { return text ? newJavaString(env, text) : nullptr; }

// The SID text of a selection's fetched "objectSID" attribute (the SID's bytes); null when
// it is missing or holds no whole valid SID.
jstring sidText(JNIEnv* env, const DS_SELECTION& selection, ULONG fetchedAttributes, ConvertSidFunction convert) {
  if (fetchedAttributes < 1 || !selection.pvarFetchedAttributes) return nullptr;
  const VARIANT* attribute = &selection.pvarFetchedAttributes[0];
  SAFEARRAY* bytes = V_VT(attribute) == (VT_ARRAY | VT_UI1) ? V_ARRAY(attribute) : nullptr;
  void* sid = nullptr;
  if (!bytes || SafeArrayGetDim(bytes) != 1 || FAILED(SafeArrayAccessData(bytes, &sid))) return nullptr;
  struct Access {
    SAFEARRAY* bytes;
    ~Access() { SafeArrayUnaccessData(bytes); }
  } access{bytes};
  ULONG size = bytes->rgsabound[0].cElements;
  wchar_t* converted = nullptr;
  if (size < kSidHeaderBytes || !IsValidSid(sid) || GetLengthSid(sid) > size || !convert(sid, &converted)) return nullptr;
  std::unique_ptr<wchar_t, decltype(&LocalFree)> owned(converted, LocalFree);
  return newJavaString(env, converted);
}

// One Result object per selection, in order; null when the selection list cannot be read,
// JniFailure when the result class or an object cannot be had.
jobjectArray pickedObjects(JNIEnv* env, IDataObject* picks, ConvertSidFunction convert) {
  FORMATETC format{static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_DSOP_DS_SELECTION_LIST)), nullptr,
                   DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  StorageMedium medium;
  if (FAILED(picks->GetData(&format, &medium.value)) || medium.value.tymed != TYMED_HGLOBAL) return nullptr;
  LockedGlobal block(medium.value.hGlobal);
  const auto* list = static_cast<const DS_SELECTION_LIST*>(block.data());
  if (!list || !holdsSelections(*list, block.size())) return nullptr;
  jclass resultClass = checked(env, env->FindClass(kResultClass));
  jmethodID constructor = checked(env, env->GetMethodID(resultClass, "<init>", kResultConstructor));
  jobjectArray results = checked(env, env->NewObjectArray(static_cast<jsize>(list->cItems), resultClass, nullptr));
  for (ULONG index = 0; index < list->cItems; ++index) {
    const DS_SELECTION& selection = list->aDsSelection[index];
    jvalue parts[5] = {};
    parts[0].l = javaTextOrNull(env, selection.pwzName);
    parts[1].l = javaTextOrNull(env, selection.pwzADsPath);
    parts[2].l = javaTextOrNull(env, selection.pwzClass);
    parts[3].l = javaTextOrNull(env, selection.pwzUPN);
    parts[4].l = sidText(env, selection, list->cFetchedAttributes, convert);
    jobject result = checked(env, env->NewObjectA(resultClass, constructor, parts));
    env->SetObjectArrayElement(results, static_cast<jsize>(index), result);
    env->DeleteLocalRef(result);
    for (jvalue& part : parts)
      env->DeleteLocalRef(part.l);
  }
  return results;
}

} // namespace

} // namespace lnx

// Exported only under its decorated name (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

jobjectArray JNICALL Java_com_lanternix_runtime_installer_platform_win32_ObjectPicker_show0(
    JNIEnv* env, jclass, jboolean multipleSelection, jboolean offerGroups, jboolean offerUsers,
    jboolean offerWellKnownPrincipals, jboolean localComputerOnly) try {
  using namespace lnx;
  ConvertSidFunction convert = convertSidToStringSid();
  if (!convert) return nullptr;
  HWND parent = findPickerParentWindow();
  if (!parent) {
    std::printf("could not find window\n");
    std::fflush(stdout);
    return nullptr;
  }
  ComApartment apartment;
  if (!apartment.entered()) return nullptr;
  ObjectPickerKinds kinds{offerGroups != JNI_FALSE, offerUsers != JNI_FALSE, offerWellKnownPrincipals != JNI_FALSE};
  ComPointer<IDsObjectPicker> picker =
      createPicker(kinds, multipleSelection != JNI_FALSE, localComputerOnly != JNI_FALSE);
  if (!picker) return nullptr;
  IDataObject* chosen = nullptr;
  HRESULT shown = picker.get()->InvokeDialog(parent, &chosen);
  ComPointer<IDataObject> picks(chosen);
  if (shown != S_OK || !picks) return nullptr;
  return pickedObjects(env, picks.get(), convert);
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_ObjectPicker_show0, 28);

} // extern "C"
