// The dialog natives of VistaFileChooser, VistaTaskDialog and ObjectPicker, called through
// the executable's export table with the fake VM as their JNIEnv. A dialog is modal, so
// the native runs on a thread of its own, as the Java thread would, while the test acts as
// the user: it finds the dialog of this process by the title it passed, reads its controls
// and presses its buttons. Every wait is bounded, and a dialog left open is closed.
#include <windows.h>

#include <objsel.h>
#include <oleauto.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "launcher/process_setup.h"
#include "jni_fake/fake_jvm.h"
#include "native_test.h"
#include "win32/unique_handle.h"

namespace lnx {
namespace {

constexpr char kFileChooserClass[] = "com/lanternix/runtime/installer/platform/win32/VistaFileChooser";
constexpr char kTaskDialogClass[] = "com/lanternix/runtime/installer/platform/win32/VistaTaskDialog";
constexpr char kObjectPickerClass[] = "com/lanternix/runtime/installer/platform/win32/ObjectPicker";
constexpr char kResultClass[] = "com/lanternix/runtime/installer/platform/win32/ObjectPicker$Result";

constexpr DWORD kDialogWaitMs = 10000; // for a dialog to show, and for its thread to end
constexpr DWORD kPollMs = 20;
constexpr DWORD kMessageWaitMs = 3000;
constexpr int kClosingRounds = 3;
constexpr DWORD kClosingRoundMs = 3000;

constexpr jint kAllowMultipleSelection = 0x200; // FOS_ALLOWMULTISELECT
constexpr jint kOverwritePrompt = 0x2;          // FOS_OVERWRITEPROMPT
constexpr jint kAllowCancellation = 0x8;        // TDF_ALLOW_DIALOG_CANCELLATION
constexpr jint kWarningIcon = 32515;            // IDI_WARNING
constexpr int kFirstCustomButton = 101;

using InitializeNative = void(JNICALL*)(JNIEnv*, jclass);
using DisplayDialogNative = jobjectArray(JNICALL*)(JNIEnv*, jclass, jlong, jstring, jstring, jstring, jstring, jint,
                                                   jint, jboolean, jstring, jobjectArray, jobjectArray, jint,
                                                   jobjectArray, jbooleanArray);
using TaskDialogNative = jint(JNICALL*)(JNIEnv*, jclass, jlong, jstring, jstring, jstring, jint, jint, jint, jstring,
                                        jobjectArray, jint);
using ObjectPickerNative = jobjectArray(JNICALL*)(JNIEnv*, jclass, jboolean, jboolean, jboolean, jboolean, jboolean);

// ---- acting as the user ------------------------------------------------------------------

std::wstring textOf(HWND window) {
  wchar_t text[512] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, kMessageWaitMs,
                      &copied);
  return text;
}

std::wstring classOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

BOOL CALLBACK collectOwnDialog(HWND window, LPARAM dialogs) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == GetCurrentProcessId() && IsWindowVisible(window) && classOf(window) == L"#32770")
    reinterpret_cast<std::vector<HWND>*>(dialogs)->push_back(window);
  return TRUE;
}

std::vector<HWND> ownDialogs() {
  std::vector<HWND> dialogs;
  EnumWindows(collectOwnDialog, reinterpret_cast<LPARAM>(&dialogs));
  return dialogs;
}

// The visible dialog of this process with that title; null when none shows in time.
HWND waitForDialog(const std::wstring& title) {
  for (ULONGLONG deadline = GetTickCount64() + kDialogWaitMs; GetTickCount64() < deadline; Sleep(kPollMs))
    for (HWND dialog : ownDialogs())
      if (textOf(dialog) == title) return dialog;
  return nullptr;
}

BOOL CALLBACK collectControl(HWND control, LPARAM controls) {
  reinterpret_cast<std::vector<HWND>*>(controls)->push_back(control);
  return TRUE;
}

// Every control of the dialog, nested ones included, in window order.
std::vector<HWND> controlsOf(HWND dialog) {
  std::vector<HWND> controls;
  EnumChildWindows(dialog, collectControl, reinterpret_cast<LPARAM>(&controls));
  return controls;
}

// The texts of the dialog's visible controls.
std::vector<std::wstring> visibleTexts(HWND dialog) {
  std::vector<std::wstring> texts;
  for (HWND control : controlsOf(dialog))
    if (IsWindowVisible(control)) texts.push_back(textOf(control));
  return texts;
}

bool shows(HWND dialog, const std::wstring& text) {
  std::vector<std::wstring> texts = visibleTexts(dialog);
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The first control of that class (and text, when given); null when there is none.
HWND controlOf(HWND dialog, const std::wstring& className, const std::optional<std::wstring>& text = std::nullopt) {
  for (HWND control : controlsOf(dialog))
    if (classOf(control) == className && (!text || textOf(control) == *text)) return control;
  return nullptr;
}

LRESULT sendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageWaitMs, &answer);
  return static_cast<LRESULT>(answer);
}

// What a click on a button of the dialog tells the dialog.
void pressButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool isChecked(HWND box) { return sendTo(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// What a click on a check box leaves behind: the other state, and its parent told.
void clickCheckBox(HWND box) {
  sendTo(box, BM_SETCHECK, isChecked(box) ? BST_UNCHECKED : BST_CHECKED, 0);
  PostMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), BN_CLICKED), reinterpret_cast<LPARAM>(box));
}

// Cancels every dialog of this process, says no to a question, and presses the first
// custom button of a task dialog that cannot be cancelled.
void closeOwnDialogs() {
  for (HWND dialog : ownDialogs()) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    pressButton(dialog, IDNO); // a confirmation that offers no cancel
    if (GetDlgItem(dialog, kFirstCustomButton)) pressButton(dialog, kFirstCustomButton);
  }
}

// A native that shows a dialog, running on a thread of its own as the Java thread would.
// A dialog still open at the end is closed; a thread that does not end is terminated.
class ModalRun {
public:
  explicit ModalRun(std::function<void()> show) : show_(std::move(show)) {
    thread_.reset(CreateThread(nullptr, 0, runShow, this, 0, nullptr));
  }
  ModalRun(const ModalRun&) = delete;
  ModalRun& operator=(const ModalRun&) = delete;
  ~ModalRun() {
    for (int round = 0; round < kClosingRounds && !finished(0); ++round) {
      closeOwnDialogs();
      finished(kClosingRoundMs);
    }
    if (!finished(0)) {
      ADD_FAILURE() << "a dialog thread did not end; it is terminated";
      TerminateThread(thread_.get(), 1);
    }
  }

  bool finished(DWORD waitMs = kDialogWaitMs) { return WaitForSingleObject(thread_.get(), waitMs) == WAIT_OBJECT_0; }

private:
  static DWORD WINAPI runShow(void* run) {
    static_cast<ModalRun*>(run)->show_();
    return 0;
  }
  std::function<void()> show_;
  KernelHandle thread_;
};

// A visible top-level window of this process, destroyed by the thread that created it.
class OwnWindow {
public:
  OwnWindow(const wchar_t* title, const RECT& place)
      : window_(CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, place.left, place.top,
                                place.right - place.left, place.bottom - place.top, nullptr, nullptr, nullptr,
                                nullptr)) {}
  OwnWindow(const OwnWindow&) = delete;
  OwnWindow& operator=(const OwnWindow&) = delete;
  ~OwnWindow() { DestroyWindow(window_); }
  HWND get() const { return window_; }

private:
  HWND window_;
};

jlong javaHandle(HWND window) { return static_cast<jlong>(static_cast<int32_t>(reinterpret_cast<intptr_t>(window))); }

// ---- the fixture ------------------------------------------------------------------------

class DialogNatives : public NativeTest {
protected:
  jstring textOrNull(const std::optional<std::wstring>& value) { return value ? text(*value) : nullptr; }
  jobjectArray texts(const std::vector<std::optional<std::wstring>>& values) {
    std::vector<std::optional<std::u16string>> units;
    for (const std::optional<std::wstring>& value : values)
      units.push_back(value ? std::optional<std::u16string>(std::u16string(value->begin(), value->end()))
                            : std::nullopt);
    return jvm.newStringArray(units);
  }
  // The elements of a String array as texts; nothing for a null array.
  std::optional<std::vector<std::optional<std::wstring>>> textsOf(jobjectArray array) {
    if (!array) return std::nullopt;
    std::vector<std::optional<std::wstring>> elements;
    for (jsize index = 0; index < env->GetArrayLength(array); ++index) {
      std::optional<std::u16string> element = jvm.stringText(env->GetObjectArrayElement(array, index));
      elements.push_back(element ? std::optional<std::wstring>(std::wstring(element->begin(), element->end()))
                                 : std::nullopt);
    }
    return elements;
  }

};

// ---- VistaTaskDialog --------------------------------------------------------------------

struct TaskDialogCall {
  std::wstring title;
  jint flags = 0;
  jint mainIcon = kWarningIcon;
  jint width = 0;
  std::optional<std::wstring> verificationText;
  std::vector<std::optional<std::wstring>> buttonLabels{L"Install", L"Skip"};
  jint defaultButton = 0;
  bool withParent = false;
};

// Far from the middle of the screen, where a dialog without a parent is centred.
constexpr RECT kParentPlace{900, 50, 1200, 250};

class TaskDialogNatives : public DialogNatives {
protected:
  void SetUp() override { ASSERT_TRUE(show) << "VistaTaskDialog.show0 is exported"; }

  // Runs show0 on a thread of its own, with a parent of that thread when one is wanted.
  ModalRun showTaskDialog(const TaskDialogCall& call, jint& result, std::atomic<HWND>* parent = nullptr) {
    return ModalRun([this, call, &result, parent] {
      std::optional<OwnWindow> owner;
      if (call.withParent) {
        owner.emplace(L"lnx task dialog parent", kParentPlace);
        if (parent) *parent = owner->get();
      }
      result = show(env, nullptr, owner ? javaHandle(owner->get()) : 0, text(call.title), text(L"Main instruction"),
                    text(L"Some content"), call.flags, call.mainIcon, call.width, textOrNull(call.verificationText),
                    texts(call.buttonLabels), call.defaultButton);
    });
  }

  NativeMethod<TaskDialogNative> show = nativeFunction<TaskDialogNative>(kTaskDialogClass, "show0");
};

TEST_F(TaskDialogNatives, ZeroWhileTheCommonControlsAreNotLoaded) {
  if (GetModuleHandleW(L"comctl32.dll")) GTEST_SKIP() << "an earlier test of this process loaded the common controls";
  EXPECT_EQ(0, show(env, nullptr, 0, text(L"never shown"), nullptr, nullptr, 0, 0, 0, nullptr, texts({L"Install"}), 0));
}

class LoadedTaskDialogNatives : public TaskDialogNatives {
protected:
  void SetUp() override {
    TaskDialogNatives::SetUp();
    loadCommonControls(); // as the launcher does at start
  }
};

TEST_F(LoadedTaskDialogNatives, PressedButtonGivesItsPosition) {
  TaskDialogCall call;
  call.title = L"lnx two buttons";
  call.defaultButton = 1;
  jint result = 0;
  ModalRun run = showTaskDialog(call, result);
  HWND dialog = waitForDialog(call.title);
  ASSERT_TRUE(dialog);
  for (const wchar_t* expected : {L"Main instruction", L"Some content", L"Install", L"Skip"})
    EXPECT_TRUE(shows(dialog, expected)) << expected;
  EXPECT_EQ(L"Install", textOf(GetDlgItem(dialog, 101)));
  EXPECT_EQ(L"Skip", textOf(GetDlgItem(dialog, 102)));
  EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongW(GetDlgItem(dialog, 102), GWL_STYLE) & BS_TYPEMASK)
      << "the default button by its position";
  HWND icon = controlOf(dialog, L"Static", L"");
  EXPECT_TRUE(icon && sendTo(icon, STM_GETICON, 0, 0)) << "the main icon loaded from the system by its id";
  pressButton(dialog, 102);
  ASSERT_TRUE(run.finished());
  EXPECT_EQ(2, result);
}

TEST_F(LoadedTaskDialogNatives, CheckedVerificationNegatesTheResult) {
  TaskDialogCall call;
  call.title = L"lnx verification";
  call.verificationText = L"Do not ask again";
  jint result = 0;
  ModalRun run = showTaskDialog(call, result);
  HWND dialog = waitForDialog(call.title);
  ASSERT_TRUE(dialog);
  HWND box = controlOf(dialog, L"Button", L"Do not ask again");
  ASSERT_TRUE(box);
  clickCheckBox(box);
  pressButton(dialog, 101);
  ASSERT_TRUE(run.finished());
  EXPECT_EQ(-1, result);
}

TEST_F(LoadedTaskDialogNatives, ClosedWithoutACustomButtonGives1000AndTheWidthIsPassed) {
  std::vector<LONG> widths;
  for (bool checked : {false, true}) {
    SCOPED_TRACE(checked);
    TaskDialogCall call;
    call.title = L"lnx closed";
    call.flags = kAllowCancellation; // else the close button does nothing
    call.verificationText = L"Remember";
    call.width = checked ? 400 : 0;
    jint result = 0;
    ModalRun run = showTaskDialog(call, result);
    HWND dialog = waitForDialog(call.title);
    ASSERT_TRUE(dialog);
    RECT place{};
    GetWindowRect(dialog, &place);
    widths.push_back(place.right - place.left);
    if (checked) clickCheckBox(controlOf(dialog, L"Button", L"Remember"));
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    ASSERT_TRUE(run.finished());
    EXPECT_EQ(checked ? -1000 : 1000, result);
  }
  EXPECT_GT(widths[1], widths[0]) << "400 dialog units are wider than the default";
}

TEST_F(LoadedTaskDialogNatives, DialogIsPlacedOverItsParent) {
  TaskDialogCall call;
  call.title = L"lnx over the parent";
  call.withParent = true;
  jint result = 0;
  std::atomic<HWND> parent{nullptr};
  ModalRun run = showTaskDialog(call, result, &parent);
  HWND dialog = waitForDialog(call.title);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(parent.load(), GetWindow(dialog, GW_OWNER));
  EXPECT_FALSE(IsWindowEnabled(parent.load())) << "the parent waits for the dialog";
  RECT place{};
  GetWindowRect(dialog, &place);
  RECT overlap{};
  EXPECT_TRUE(IntersectRect(&overlap, &place, &kParentPlace))
      << "not centred on the screen but over the parent; dialog at " << place.left << "," << place.top;
  pressButton(dialog, 101);
  ASSERT_TRUE(run.finished());
  EXPECT_EQ(1, result);
}

// ---- VistaFileChooser -------------------------------------------------------------------

using Paths = std::vector<std::optional<std::wstring>>;

struct FileDialogCall {
  std::wstring title;
  std::optional<std::wstring> okLabel;
  std::optional<std::wstring> folder;
  std::optional<std::wstring> fileName;
  jint optionsToSet = 0;
  jint optionsToClear = 0;
  bool save = false;
  std::optional<std::wstring> defaultExtension;
  jobjectArray filterNames = nullptr;
  jobjectArray filterPatterns = nullptr;
  jint filterIndex = -1;
  jobjectArray checkBoxLabels = nullptr;
  jbooleanArray checkBoxStates = nullptr;
};

class FileChooserNatives : public DialogNatives {
protected:
  void SetUp() override {
    ASSERT_TRUE(initialize && displayDialog) << "both VistaFileChooser natives are exported";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder = std::wstring(temp) + L"lnx-dialogs-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    for (const wchar_t* name : {L"a.txt", L"b.txt"})
      FileHandle(CreateFileW(inFolder(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  }
  void TearDown() override {
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"report.log"})
      DeleteFileW(inFolder(name).c_str());
    RemoveDirectoryW(folder.c_str());
    DialogNatives::TearDown();
  }

  std::wstring inFolder(const std::wstring& name) const { return folder + L"\\" + name; }

  // Runs displayDialog0 on a thread that has entered COM through initialize0, as the
  // Java side does, with parent as the dialog's parent when one is wanted.
  ModalRun showFileDialog(const FileDialogCall& call, jobjectArray& result, std::atomic<HWND>* parent = nullptr) {
    return ModalRun([this, call, &result, parent] {
      initialize(env, nullptr);
      std::optional<OwnWindow> owner;
      if (parent) {
        owner.emplace(L"lnx file dialog parent", RECT{100, 100, 400, 300});
        *parent = owner->get();
      }
      result =
          displayDialog(env, nullptr, owner ? javaHandle(owner->get()) : 0, text(call.title), textOrNull(call.okLabel),
                        textOrNull(call.folder), textOrNull(call.fileName), call.optionsToSet, call.optionsToClear,
                        call.save, textOrNull(call.defaultExtension), call.filterNames, call.filterPatterns,
                        call.filterIndex, call.checkBoxLabels, call.checkBoxStates);
      CoUninitialize();
    });
  }

  // Types the name into the dialog's file name box and presses OK.
  static void chooseFile(HWND dialog, const std::wstring& name) {
    sendTo(controlOf(dialog, L"Edit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    pressButton(dialog, IDOK);
  }

  std::wstring folder;
  NativeMethod<InitializeNative> initialize = nativeFunction<InitializeNative>(kFileChooserClass, "initialize0");
  NativeMethod<DisplayDialogNative> displayDialog = nativeFunction<DisplayDialogNative>(kFileChooserClass, "displayDialog0");
};

TEST_F(FileChooserNatives, OpenDialogReturnsEveryChosenPathInTheOrderChosen) {
  FileDialogCall call;
  call.title = L"lnx open several";
  call.okLabel = L"Take";
  call.folder = folder;
  call.fileName = L"a.txt";
  call.optionsToSet = kAllowMultipleSelection;
  jobjectArray result = nullptr;
  std::atomic<HWND> parent{nullptr};
  ModalRun run = showFileDialog(call, result, &parent);
  HWND dialog = waitForDialog(call.title);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(parent.load(), GetWindow(dialog, GW_OWNER)) << "the parent passed owns the dialog";
  EXPECT_EQ(L"Take", textOf(GetDlgItem(dialog, IDOK)));
  EXPECT_EQ(L"a.txt", textOf(controlOf(dialog, L"Edit"))) << "the initial file name";
  EXPECT_FALSE(shows(dialog, L"Options:")) << "no check boxes, no group";
  chooseFile(dialog, L"\"b.txt\" \"a.txt\"");
  ASSERT_TRUE(run.finished());
  EXPECT_EQ((Paths{inFolder(L"b.txt"), inFolder(L"a.txt")}), textsOf(result).value_or(Paths{}))
      << "names typed relative to the initial folder, in the order typed";
}

TEST_F(FileChooserNatives, CancelledDialogReturnsNullAndLeavesTheCheckBoxStates) {
  FileDialogCall call;
  call.title = L"lnx cancelled";
  call.folder = L"Q:\\no such drive\\folder"; // cannot be parsed: ignored
  call.checkBoxLabels = texts({L"Remember me"});
  call.checkBoxStates = jvm.newBooleanArray({true});
  jobjectArray result = env->NewObjectArray(0, env->FindClass("java/lang/String"), nullptr);
  ModalRun run = showFileDialog(call, result);
  HWND dialog = waitForDialog(call.title);
  ASSERT_TRUE(dialog);
  HWND box = controlOf(dialog, L"Button", L"Remember me");
  ASSERT_TRUE(box);
  EXPECT_TRUE(isChecked(box)) << "the initial state";
  EXPECT_FALSE(shows(dialog, L"Options:")) << "a single check box stands alone";
  clickCheckBox(box);
  pressButton(dialog, IDCANCEL);
  ASSERT_TRUE(run.finished());
  EXPECT_EQ(nullptr, result);
  EXPECT_EQ("[true]", shown(call.checkBoxStates)) << "a cancelled dialog writes no states back";
}

TEST_F(FileChooserNatives, CheckBoxesShareTheOptionsGroupAndComeBackWithTheirFinalStates) {
  FileDialogCall call;
  call.title = L"lnx check boxes";
  call.folder = folder;
  call.checkBoxLabels = texts({L"First", L"Second", std::nullopt});
  call.checkBoxStates = jvm.newBooleanArray({true, false}); // the third has no slot
  jobjectArray result = nullptr;
  ModalRun run = showFileDialog(call, result);
  HWND dialog = waitForDialog(call.title);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(shows(dialog, L"Options:"));
  HWND first = controlOf(dialog, L"Button", L"First");
  HWND second = controlOf(dialog, L"Button", L"Second");
  HWND third = controlOf(dialog, L"Button", L"");
  ASSERT_TRUE(first && second);
  EXPECT_TRUE(isChecked(first));
  EXPECT_FALSE(isChecked(second));
  EXPECT_TRUE(third && !isChecked(third)) << "a null label is an empty one, and without a state it starts clear";
  clickCheckBox(first);
  clickCheckBox(second);
  chooseFile(dialog, L"a.txt");
  ASSERT_TRUE(run.finished());
  EXPECT_EQ((Paths{inFolder(L"a.txt")}), textsOf(result).value_or(Paths{}));
  EXPECT_EQ("[false, true]", shown(call.checkBoxStates)) << "the final states, in the slots the array has";
}

TEST_F(FileChooserNatives, FilterIndexSelectsATypeAndMinusOneKeepsTheFirst) {
  struct Case {
    jint filterIndex;
    bool withPatterns;
    LRESULT typesOffered;
    std::wstring selected;
  };
  for (const Case& expected :
       {Case{1, true, 2, L"Log files"}, Case{-1, true, 2, L"Text files"}, Case{0, false, 0, L""}}) {
    SCOPED_TRACE(expected.filterIndex);
    FileDialogCall call;
    call.title = L"lnx file types";
    call.folder = folder;
    call.filterNames = texts({L"Text files", L"Log files", L"All files"});
    call.filterPatterns = expected.withPatterns ? texts({L"*.txt", L"*.log"}) : nullptr; // one pattern short
    call.filterIndex = expected.filterIndex;
    jobjectArray result = nullptr;
    ModalRun run = showFileDialog(call, result);
    HWND dialog = waitForDialog(call.title);
    ASSERT_TRUE(dialog);
    HWND types = controlOf(dialog, L"ComboBox");
    ASSERT_TRUE(types);
    EXPECT_EQ(expected.typesOffered, sendTo(types, CB_GETCOUNT, 0, 0)) << "types only in pairs";
    EXPECT_EQ(expected.selected, textOf(types));
    pressButton(dialog, IDCANCEL);
    ASSERT_TRUE(run.finished());
    EXPECT_EQ(nullptr, result);
  }
}

TEST_F(FileChooserNatives, SaveDialogGivesOnePathWithTheDefaultExtension) {
  FileDialogCall call;
  call.title = L"lnx save";
  call.folder = folder;
  call.fileName = L"report";
  call.save = true;
  call.defaultExtension = L"log";
  jobjectArray result = nullptr;
  ModalRun run = showFileDialog(call, result);
  HWND dialog = waitForDialog(call.title);
  ASSERT_TRUE(dialog);
  pressButton(dialog, IDOK);
  ASSERT_TRUE(run.finished());
  EXPECT_EQ((Paths{inFolder(L"report.log")}), textsOf(result).value_or(Paths{}));
}

TEST_F(FileChooserNatives, ClearedOptionsAreTakenAway) {
  // An existing file is taken at once when the overwrite prompt is cleared, and only after
  // a confirmation when it is not.
  for (bool promptCleared : {true, false}) {
    SCOPED_TRACE(promptCleared);
    FileDialogCall call;
    call.title = L"lnx save over";
    call.folder = folder;
    call.fileName = L"a.txt";
    call.save = true;
    call.optionsToClear = promptCleared ? kOverwritePrompt : 0;
    jobjectArray result = nullptr;
    ModalRun run = showFileDialog(call, result);
    HWND dialog = waitForDialog(call.title);
    ASSERT_TRUE(dialog);
    pressButton(dialog, IDOK);
    if (!promptCleared) {
      EXPECT_FALSE(run.finished(1000)) << "the dialog waits for the confirmation";
      for (HWND other : ownDialogs())
        if (other != dialog) pressButton(other, IDYES);
    }
    ASSERT_TRUE(run.finished());
    EXPECT_EQ((Paths{inFolder(L"a.txt")}), textsOf(result).value_or(Paths{}));
  }
}

// ---- ObjectPicker -----------------------------------------------------------------------

constexpr CLSID kPickerClass = {0x17D6CCD8, 0x3B7B, 0x11D2, {0xB9, 0xE0, 0x00, 0xC0, 0x4F, 0xD8, 0xDB, 0xF7}};
constexpr IID kPickerInterface = {0x0C87E64E, 0x3B7A, 0x11D2, {0xB9, 0xE0, 0x00, 0xC0, 0x4F, 0xD8, 0xDB, 0xF7}};

// What the picker was asked for.
struct PickerRequest {
  ULONG scopes = 0;
  ULONG scopeType = 0;
  ULONG scopeFlags = 0;
  ULONG upLevelFilter = 0;
  ULONG downLevelFilter = 0;
  ULONG options = 0;
  std::vector<std::wstring> attributes;
  bool targetComputerGiven = true;
  HWND parent = nullptr;
};

// One picked object; the SID as the bytes the picker fetches.
struct Pick {
  const wchar_t* name;
  const wchar_t* path;
  const wchar_t* objectClass;
  const wchar_t* userPrincipalName;
  std::vector<BYTE> sid;
};

// Stands in for the directory object picker, whose dialog Wine cannot show: it records
// what it is asked for and hands out its picks at once, in the selection list format on
// global memory. It is its own class factory and selection data object.
class FakePicker : public IDsObjectPicker, public IDataObject, public IClassFactory {
public:
  explicit FakePicker(const std::vector<Pick>& picks) : picks_(picks), attributes_(picks.size()) {
    for (size_t index = 0; index < picks.size(); ++index) {
      SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(picks[index].sid.size()));
      void* data = nullptr;
      SafeArrayAccessData(bytes, &data);
      std::copy(picks[index].sid.begin(), picks[index].sid.end(), static_cast<BYTE*>(data));
      SafeArrayUnaccessData(bytes);
      V_VT(&attributes_[index]) = VT_ARRAY | VT_UI1;
      V_ARRAY(&attributes_[index]) = bytes;
    }
  }
  ~FakePicker() {
    for (VARIANT& attribute : attributes_)
      VariantClear(&attribute);
  }

  HRESULT STDMETHODCALLTYPE Initialize(PDSOP_INIT_INFO info) override {
    request.scopes = info->cDsScopeInfos;
    if (info->cDsScopeInfos > 0) {
      const DSOP_SCOPE_INIT_INFO& scope = info->aDsScopeInfos[0];
      request.scopeType = scope.flType;
      request.scopeFlags = scope.flScope;
      request.upLevelFilter = scope.FilterFlags.Uplevel.flBothModes;
      request.downLevelFilter = scope.FilterFlags.flDownlevel;
    }
    request.options = info->flOptions;
    request.attributes.assign(info->apwzAttributeNames, info->apwzAttributeNames + info->cAttributesToFetch);
    request.targetComputerGiven = info->pwzTargetComputer != nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InvokeDialog(HWND parent, IDataObject** picks) override {
    request.parent = parent;
    *picks = this;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (format->cfFormat != RegisterClipboardFormatW(L"CFSTR_DSOP_DS_SELECTION_LIST") || format->lindex != -1 ||
        format->dwAspect != DVASPECT_CONTENT || !(format->tymed & TYMED_HGLOBAL))
      return DV_E_FORMATETC;
    size_t listBytes = offsetof(DS_SELECTION_LIST, aDsSelection) + picks_.size() * sizeof(DS_SELECTION);
    size_t textUnits = 0;
    for (const Pick& pick : picks_)
      for (const wchar_t* part : {pick.name, pick.path, pick.objectClass, pick.userPrincipalName})
        textUnits += part ? wcslen(part) + 1 : 0;
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, listBytes + textUnits * sizeof(wchar_t));
    auto* list = static_cast<DS_SELECTION_LIST*>(block);
    auto* nextText = reinterpret_cast<wchar_t*>(static_cast<BYTE*>(block) + listBytes);
    auto place = [&nextText](const wchar_t* part) -> wchar_t* {
      if (!part) return nullptr;
      wchar_t* placed = wcscpy(nextText, part);
      nextText += wcslen(part) + 1;
      return placed;
    };
    list->cItems = static_cast<ULONG>(picks_.size());
    list->cFetchedAttributes = 1;
    for (size_t index = 0; index < picks_.size(); ++index) {
      DS_SELECTION& selection = list->aDsSelection[index];
      selection.pwzName = place(picks_[index].name);
      selection.pwzADsPath = place(picks_[index].path);
      selection.pwzClass = place(picks_[index].objectClass);
      selection.pwzUPN = place(picks_[index].userPrincipalName);
      selection.pvarFetchedAttributes = &attributes_[index];
      selection.flScopeType = 1;
    }
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** object) override {
    *object = nullptr;
    return outer ? CLASS_E_NOAGGREGATION : QueryInterface(id, object);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (id == IID_IUnknown || id == kPickerInterface)
      *object = static_cast<IDsObjectPicker*>(this);
    else if (id == IID_IDataObject)
      *object = static_cast<IDataObject*>(this);
    else if (id == IID_IClassFactory)
      *object = static_cast<IClassFactory*>(this);
    else
      *object = nullptr;
    return *object ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; } // lives on the test's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

  PickerRequest request;

private:
  std::vector<Pick> picks_;
  std::vector<VARIANT> attributes_;
};

std::vector<BYTE> sidBytes(const wchar_t* text) {
  PSID sid = nullptr;
  if (!ConvertStringSidToSidW(text, &sid)) return {};
  std::vector<BYTE> bytes(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + GetLengthSid(sid));
  LocalFree(sid);
  return bytes;
}

// The fake picker registered as the directory object picker of the calling thread's
// apartment for the life of the object.
class PickerStandIn {
public:
  explicit PickerStandIn(FakePicker& picker) {
    CoInitialize(nullptr);
    CoRegisterClassObject(kPickerClass, static_cast<IClassFactory*>(&picker), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                          &registration_);
  }
  PickerStandIn(const PickerStandIn&) = delete;
  PickerStandIn& operator=(const PickerStandIn&) = delete;
  ~PickerStandIn() {
    CoRevokeClassObject(registration_);
    CoUninitialize();
  }

private:
  DWORD registration_ = 0;
};

class ObjectPickerNatives : public DialogNatives {
protected:
  void SetUp() override { ASSERT_TRUE(show) << "ObjectPicker.show0 is exported"; }

  // show0 with every kind offered on the local computer only, on a thread of its own (a
  // picker is modal) with a window of that thread when one is wanted, and with the fake
  // picker standing in when one is given. What it printed goes to printed.
  jobjectArray showEverything(bool withWindow, FakePicker* standIn = nullptr) {
    jobjectArray result = nullptr;
    testing::internal::CaptureStdout();
    {
      ModalRun run([this, withWindow, standIn, &result] {
        std::optional<OwnWindow> owner;
        if (withWindow) {
          owner.emplace(L"lnx picker parent", RECT{100, 100, 400, 300});
          window = owner->get();
        }
        std::optional<PickerStandIn> registered;
        if (standIn) registered.emplace(*standIn);
        result = show(env, nullptr, true, true, true, true, true);
      });
      EXPECT_TRUE(run.finished()) << "a picker waits for a user";
    }
    printed = testing::internal::GetCapturedStdout();
    return result;
  }

  NativeMethod<ObjectPickerNative> show = nativeFunction<ObjectPickerNative>(kObjectPickerClass, "show0");
  std::atomic<HWND> window{nullptr};
  std::string printed;
};

TEST_F(ObjectPickerNatives, WithoutAWindowOfTheProcessItSaysSoAndGivesNull) {
  EXPECT_EQ(nullptr, showEverything(false));
  EXPECT_EQ("could not find window\n", printed);
}

TEST_F(ObjectPickerNatives, WinesPickerShowsNothingAndGivesNull) {
  EXPECT_EQ(nullptr, showEverything(true)) << "Wine's picker answers as if cancelled";
  EXPECT_EQ("", printed) << "a window of the process was found";
}

TEST_F(ObjectPickerNatives, PickerIsAskedForTheKindsOfferedAndItsPicksBecomeResults) {
  FakePicker picker(
      {{L"Administrators", L"WinNT://VM/Administrators", L"group", nullptr, sidBytes(L"S-1-5-32-544")},
       {L"tester", L"WinNT://VM/tester", L"user", L"tester@example.org", sidBytes(L"S-1-5-21-1-2-3-1001")},
       {L"broken", nullptr, nullptr, nullptr, {1, 5, 0}}}); // no whole SID
  jobjectArray result = showEverything(true, &picker);

  EXPECT_EQ("", printed);
  EXPECT_EQ(window.load(), picker.request.parent) << "the process's own window is the parent";
  EXPECT_EQ(1u, picker.request.scopes);
  EXPECT_EQ(0x1u, picker.request.scopeType) << "the target computer only";
  EXPECT_EQ(0xC0u, picker.request.scopeFlags);
  EXPECT_EQ(0x3FEu, picker.request.upLevelFilter);
  EXPECT_EQ(0x80020007u, picker.request.downLevelFilter) << "groups and users, every well-known SID";
  EXPECT_EQ(static_cast<ULONG>(DSOP_FLAG_MULTISELECT), picker.request.options);
  EXPECT_EQ(std::vector<std::wstring>{L"objectSID"}, picker.request.attributes);
  EXPECT_FALSE(picker.request.targetComputerGiven);

  std::string resultClass = std::string(R"({"class": ")") + kResultClass + R"(", "arguments": )";
  EXPECT_EQ("[" + resultClass + R"(["Administrators", "WinNT://VM/Administrators", "group", null, "S-1-5-32-544"]}, )" +
                resultClass +
                R"(["tester", "WinNT://VM/tester", "user", "tester@example.org", "S-1-5-21-1-2-3-1001"]}, )" +
                resultClass + R"(["broken", null, null, null, null]}])",
            shown(result));
}

} // namespace
} // namespace lnx
