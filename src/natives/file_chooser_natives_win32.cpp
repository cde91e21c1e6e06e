// The natives of the Java class VistaFileChooser: the system open and save dialogs with
// file types and optional check boxes, shown modally on the calling thread, which has
// initialised COM through initialize0. They never throw: a failure or a cancelled dialog
// is null.
#include <windows.h>

#include <shobjidl.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "natives/file_dialog_rules.h"
#include "natives/java_handle.h"
#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "win32/com_pointer.h"
#include "win32/procedure.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

constexpr CLSID kOpenDialogClass = {0xDC1C5A9C, 0xE88A, 0x4DDE, {0xA5, 0xA1, 0x60, 0xF8, 0x2A, 0x20, 0xAE, 0xF7}};
constexpr CLSID kSaveDialogClass = {0xC0B4E2F3, 0xBA21, 0x4773, {0x8D, 0xBA, 0x33, 0x5E, 0xC9, 0x46, 0xEB, 0x8B}};
constexpr IID kOpenDialogInterface = {0xD57C7288, 0xD4AD, 0x4768, {0xBE, 0x02, 0x9D, 0x96, 0x95, 0x32, 0xD9, 0x60}};
constexpr IID kFileDialogInterface = {0x42F85136, 0xDB7E, 0x439C, {0x85, 0xF1, 0xE4, 0x07, 0x5D, 0x13, 0x5F, 0xC8}};
constexpr IID kCustomizeInterface = {0xE6FDD21A, 0x163F, 0x4975, {0x9C, 0x8C, 0xA6, 0x9F, 0x1B, 0xA3, 0x70, 0x34}};
constexpr IID kShellItemInterface = {0x43826D1E, 0xE718, 0x42EE, {0xBC, 0x55, 0xA1, 0xE2, 0x61, 0xC3, 0x7B, 0xFE}};
constexpr IID kShellItemArrayInterface = {0xB63EA76D, 0x1F85, 0x456F, {0xA1, 0x9C, 0x48, 0x15, 0x9E, 0xFA, 0x85, 0x8B}};
constexpr SIGDN kFileSystemPath = static_cast<SIGDN>(0x80058000); // SIGDN_FILESYSPATH

struct CoTaskTextTraits {
  using Value = wchar_t*;
  static Value invalid() { return nullptr; }
  static void close(Value text) { CoTaskMemFree(text); }
};

using CreateItemFunction = HRESULT(WINAPI*)(const wchar_t* path, IBindCtx* context, REFIID interfaceId, void** item);
using CreateItemArrayFunction = HRESULT(WINAPI*)(IShellItem* item, REFIID interfaceId, void** items);

struct ShellItemFunctions {
  CreateItemFunction createItem = nullptr;           // SHCreateItemFromParsingName
  CreateItemArrayFunction createItemArray = nullptr; // SHCreateShellItemArrayFromShellItem
};

// Looked up in shell32.dll on first use.
const ShellItemFunctions& shellItemFunctions() {
  static const ShellItemFunctions functions = [] {
    ShellItemFunctions found;
    HMODULE shell = LoadLibraryA("shell32.dll");
    if (shell) {
      found.createItem = procedureOf<CreateItemFunction>(shell, "SHCreateItemFromParsingName");
      found.createItemArray = procedureOf<CreateItemArrayFunction>(shell, "SHCreateShellItemArrayFromShellItem");
    }
    return found;
  }();
  return functions;
}

// The save dialog behind the file dialog interface, or the open dialog behind the open
// dialog interface (which extends it).
ComPointer<IFileDialog> createFileDialog(bool save) {
  void* dialog = nullptr;
  HRESULT result = CoCreateInstance(save ? kSaveDialogClass : kOpenDialogClass, nullptr, CLSCTX_INPROC_SERVER,
                                    save ? kFileDialogInterface : kOpenDialogInterface, &dialog);
  return ComPointer<IFileDialog>(SUCCEEDED(result) ? static_cast<IFileDialog*>(dialog) : nullptr);
}

// A null element of a Java array stands for empty text.
std::vector<std::wstring> textsOrEmpty(JNIEnv* env, jobjectArray array) {
  std::vector<std::wstring> texts;
  if (std::optional<std::vector<std::optional<std::wstring>>> elements = javaStringArrayToWide(env, array))
    for (const std::optional<std::wstring>& element : *elements)
      texts.push_back(element.value_or(std::wstring()));
  return texts;
}

void offerFileTypes(IFileDialog* dialog, const std::vector<std::wstring>& names,
                    const std::vector<std::wstring>& patterns, jint filterIndex) {
  FileTypeChoice choice = fileTypeChoice(names.size(), patterns.size(), filterIndex);
  if (choice.count == 0) return;
  std::vector<COMDLG_FILTERSPEC> types;
  for (size_t index = 0; index < choice.count; ++index)
    types.push_back({names[index].c_str(), patterns[index].c_str()});
  dialog->SetFileTypes(static_cast<UINT>(types.size()), types.data());
  if (choice.selected) dialog->SetFileTypeIndex(*choice.selected);
}

std::vector<bool> booleans(JNIEnv* env, jbooleanArray array) {
  if (!array) return {};
  std::vector<jboolean> values(static_cast<size_t>(env->GetArrayLength(array)));
  env->GetBooleanArrayRegion(array, 0, static_cast<jsize>(values.size()), values.data());
  return std::vector<bool>(values.begin(), values.end());
}

// The customisation interface when the check boxes were added; null when there are none
// or the dialog cannot take them.
ComPointer<IFileDialogCustomize> addCheckBoxes(IFileDialog* dialog, const std::vector<std::wstring>& labels,
                                               const CheckBoxLayout& layout) {
  void* customize = nullptr;
  if (labels.empty() || FAILED(dialog->QueryInterface(kCustomizeInterface, &customize)))
    return ComPointer<IFileDialogCustomize>();
  ComPointer<IFileDialogCustomize> checkBoxes(static_cast<IFileDialogCustomize*>(customize));
  if (layout.grouped) checkBoxes.get()->StartVisualGroup(kCheckBoxGroupId, kCheckBoxGroupLabel);
  for (size_t index = 0; index < layout.boxes.size(); ++index)
    checkBoxes.get()->AddCheckButton(layout.boxes[index].id, labels[index].c_str(), layout.boxes[index].checked);
  if (layout.grouped) checkBoxes.get()->EndVisualGroup();
  return checkBoxes;
}

// The final states go into the slots the Java array has.
void storeCheckBoxStates(JNIEnv* env, jbooleanArray states, IFileDialogCustomize* checkBoxes,
                         const CheckBoxLayout& layout) {
  size_t slots = std::min(layout.boxes.size(), static_cast<size_t>(env->GetArrayLength(states)));
  std::vector<jboolean> values(slots, JNI_FALSE);
  for (size_t index = 0; index < slots; ++index) {
    BOOL checked = FALSE;
    checkBoxes->GetCheckButtonState(layout.boxes[index].id, &checked);
    values[index] = checked ? JNI_TRUE : JNI_FALSE;
  }
  env->SetBooleanArrayRegion(states, 0, static_cast<jsize>(slots), values.data());
}

void startIn(IFileDialog* dialog, const std::optional<std::wstring>& folder) {
  void* item = nullptr;
  if (folder && SUCCEEDED(shellItemFunctions().createItem(folder->c_str(), nullptr, kShellItemInterface, &item))) {
    ComPointer<IShellItem> folderItem(static_cast<IShellItem*>(item));
    dialog->SetFolder(folderItem.get());
  }
}

// The chosen items: the open dialog's array, or the save dialog's one item as an array.
ComPointer<IShellItemArray> chosenItems(IFileDialog* dialog, bool save) {
  IShellItemArray* items = nullptr;
  if (!save) {
    static_cast<IFileOpenDialog*>(dialog)->GetResults(&items);
    return ComPointer<IShellItemArray>(items);
  }
  IShellItem* item = nullptr;
  if (FAILED(dialog->GetResult(&item))) return ComPointer<IShellItemArray>();
  ComPointer<IShellItem> chosen(item);
  void* wrapped = nullptr;
  shellItemFunctions().createItemArray(chosen.get(), kShellItemArrayInterface, &wrapped);
  return ComPointer<IShellItemArray>(static_cast<IShellItemArray*>(wrapped));
}

// One Java string per item, in order; an item without a file-system path leaves its slot null.
jobjectArray chosenPaths(JNIEnv* env, IShellItemArray* items) {
  DWORD count = 0;
  items->GetCount(&count);
  std::vector<std::optional<std::wstring>> paths(count);
  for (DWORD index = 0; index < count; ++index) {
    IShellItem* item = nullptr;
    if (FAILED(items->GetItemAt(index, &item))) continue;
    ComPointer<IShellItem> chosen(item);
    wchar_t* path = nullptr;
    if (FAILED(chosen.get()->GetDisplayName(kFileSystemPath, &path))) continue;
    UniqueHandle<CoTaskTextTraits> ownedPath(path);
    if (ownedPath.valid()) paths[index] = std::wstring(ownedPath.get());
  }
  return newJavaStringArray(env, paths);
}

} // namespace

} // namespace lnx

// Exported only under their decorated names (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

void JNICALL Java_com_lanternix_runtime_installer_platform_win32_VistaFileChooser_initialize0(JNIEnv*, jclass) try {
  CoInitialize(nullptr);
} LNX_NATIVE_FAILS_WITH()
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_VistaFileChooser_initialize0, 8);

jobjectArray JNICALL Java_com_lanternix_runtime_installer_platform_win32_VistaFileChooser_displayDialog0(
    JNIEnv* env, jclass, jlong parentWindow, jstring title, jstring okButtonLabel, jstring initialFolder,
    jstring initialFileName, jint optionsToSet, jint optionsToClear, jboolean save, jstring defaultExtension,
    jobjectArray filterNames, jobjectArray filterPatterns, jint filterIndex, jobjectArray checkBoxLabels,
    jbooleanArray checkBoxStates) try {
  using namespace lnx;
  const ShellItemFunctions& shell = shellItemFunctions();
  if (!shell.createItem || !shell.createItemArray) return nullptr;
  ComPointer<IFileDialog> dialog = createFileDialog(save);
  if (!dialog) return nullptr;

  FILEOPENDIALOGOPTIONS options = 0;
  if (SUCCEEDED(dialog.get()->GetOptions(&options)))
    dialog.get()->SetOptions(
        fileDialogOptions(options, static_cast<uint32_t>(optionsToSet), static_cast<uint32_t>(optionsToClear)));
  if (filterNames)
    offerFileTypes(dialog.get(), textsOrEmpty(env, filterNames), textsOrEmpty(env, filterPatterns), filterIndex);

  std::vector<std::wstring> labels = textsOrEmpty(env, checkBoxLabels);
  CheckBoxLayout layout = checkBoxLayout(labels.size(), booleans(env, checkBoxStates));
  ComPointer<IFileDialogCustomize> checkBoxes = addCheckBoxes(dialog.get(), labels, layout);

  if (std::optional<std::wstring> extension = javaStringToWide(env, defaultExtension))
    dialog.get()->SetDefaultExtension(extension->c_str());
  if (std::optional<std::wstring> text = javaStringToWide(env, title)) dialog.get()->SetTitle(text->c_str());
  if (std::optional<std::wstring> label = javaStringToWide(env, okButtonLabel))
    dialog.get()->SetOkButtonLabel(label->c_str());
  dialog.get()->ClearClientData();
  startIn(dialog.get(), javaStringToWide(env, initialFolder));
  if (std::optional<std::wstring> fileName = javaStringToWide(env, initialFileName))
    dialog.get()->SetFileName(fileName->c_str());

  HWND parent = handleFromJava<HWND>(parentWindow);
  if (FAILED(dialog.get()->Show(parent))) return nullptr;
  if (checkBoxes && checkBoxStates) storeCheckBoxStates(env, checkBoxStates, checkBoxes.get(), layout);
  ComPointer<IShellItemArray> items = chosenItems(dialog.get(), save);
  return items ? chosenPaths(env, items.get()) : nullptr;
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_VistaFileChooser_displayDialog0, 68);

} // extern "C"
