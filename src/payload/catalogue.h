#pragma once
// Every configuration id and message id of the Payload, with the readable names the
// builder accepts, the defaults it stores and what each configuration value holds.
#include <string>
#include <vector>

namespace lnx {

namespace config {
enum : int {
  redirectStderr = 102,
  stderrFile = 103,
  redirectStdout = 104,
  stdoutFile = 105,
  javaSideFlag = 106,
  launcherType = 107,
  awtSplash = 108,
  classPath = 121,
  mainClass = 122,
  vmOptions = 123,
  defaultArguments = 124,
  jArgumentsAreVmOptions = 125,
  minJavaVersion = 126,
  maxJavaVersion = 127,
  searchSequence = 128,
  allowBeta = 130,
  requireJdk = 131,
  modulePath = 132,
  moduleMode = 133,
  workingDirectory = 146,
  downloadLocation = 150,
  jreUncompressedSize = 151,
  preferredVmDirectory = 152,
  jrePacked = 153,
  noStartupDialog = 155,
  downloadWithoutAsking = 157,
  globalSingleInstance = 158,
  noStartupTimeout = 159,
  applicationId = 160,
  preferInstalledRuntime = 161,
  splashFlag = 163,
  skipJavaSoftKeys = 165,
  readDefaultVmOptionsFile = 166,
  launcherFamily = 2001,
  includedFileCount = 2002,
  includedFileNames = 2003,
  locationFilesDirectory = 10003,
  nativeLibraryDirectories = 10004,
  singleInstance = 10005,
  activateRunningInstance = 10007,
  splashLine1X = 10109,
  splashLine1Y = 10110,
  splashLine1Text = 10111,
  splashLine1FontSize = 10113,
  splashLine1Colour = 10114,
  splashLine1FontWeight = 10115,
  splashLine2X = 10116,
  splashLine2Y = 10117,
  splashLine2Text = 10118,
  splashLine2FontSize = 10120,
  splashLine2Colour = 10121,
  splashLine2FontWeight = 10122,
  versionOptionLineCount = 10200,
};
} // namespace config

namespace message {
enum : int {
  errorCaption = 1000,
  jvmNotStarted = 1005,
  pathNotFound = 1006,
  variableUndefined = 1008,
  internalError = 1009,
  mainClassMissing = 1010,
  mainMethodMissing = 1011,
  notPowerUser = 1015,
  noRuntimeFound = 1016,
  variableNamesNoRuntime = 1017,   // a 32-bit runtime
  variableNamesNoRuntime64 = 1018, // a 64-bit runtime
  runtimeDamaged = 1019,           // install a 32-bit runtime
  runtimeDamaged64 = 1020,         // install a 64-bit runtime
  downloadNotice = 20001,
  winInetMissing = 20002,
  downloadFailed = 20003,
  chooseJavaExe = 20004,
  noRuntimeDownloadOrLocate = 20005,
  noRuntimeLocate = 20006,
  preparingNotice = 20007,
  downloadProgress = 20008,
  connecting = 20009,
  downloadLabel = 20010,
  locateLabel = 20011,
  cancelLabel = 20012,
  wizardCaption = 20013,
  startupTimeout = 20014,
  installationCorrupted = 20016,
  notEnoughDiskSpace = 20018,
  minimumVersionLabel = 20019,
  maximumVersionLabel = 20020,
};
} // namespace message

// How the launcher reads a configuration value (every value is stored as narrow text).
enum class ConfigKind {
  Flag,        // an integer, non-zero for true; the builder stores "1" or "0"
  Integer,     // decimal, read with atoi
  Text,        // narrow text
  WideText,    // narrow text the launcher widens
  Version,     // a Java version text such as "1.8" or "11.0.2", empty for none
  FamilyLetter // one letter, "i" or "e"
};

struct ConfigInfo {
  int id;
  const char* name;         // readable name in project files
  const char* defaultValue; // stored by the builder unless the project says otherwise; null: none
  ConfigKind kind;
  const char* meaning; // one line for people
};

struct MessageInfo {
  int id;
  const wchar_t* defaultText; // English
};

const std::vector<ConfigInfo>& configCatalogue();
const std::vector<MessageInfo>& messageCatalogue();
// The English default of a message, or empty for an id the catalogue does not hold.
std::wstring defaultMessageText(int id);
// "bool", "int", "text", "wtext", "version" or "letter".
const char* configKindName(ConfigKind kind);
const ConfigInfo* findConfigById(int id);
const ConfigInfo* findConfigByName(const std::string& name);

} // namespace lnx
