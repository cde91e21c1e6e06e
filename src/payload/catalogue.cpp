#include "payload/catalogue.h"

namespace lnx {

const std::vector<ConfigInfo>& configCatalogue() {
  // Defaults are the values of a typical installer; entries without a default are only
  // stored when a project sets them.
  static const std::vector<ConfigInfo> catalogue = {
      {101, "unused101", nullptr},
      {102, "redirectStderr", "1"},
      {103, "stderrFile", "error.log"},
      {104, "redirectStdout", "0"},
      {105, "stdoutFile", "output.log"},
      {106, "javaSideFlag", "0"},
      {107, "launcherType", "5"},
      {108, "awtSplash", "0"},
      {121, "classPath", ""},
      {122, "mainClass", "com.lanternix.runtime.installer.Installer"},
      {123, "vmOptions", "-Dfile.encoding=utf-8 -Dsun.java2d.noddraw=true"},
      {124, "defaultArguments", ""},
      {125, "jArgumentsAreVmOptions", "1"},
      {126, "minJavaVersion", "1.7"},
      {127, "maxJavaVersion", ""},
      {128, "searchSequence", "Y;EJAVA_HOME;EJDK_HOME;"},
      {130, "allowBeta", "0"},
      {131, "requireJdk", "0"},
      {132, "modulePath", ""},
      {133, "moduleMode", "0"},
      {146, "workingDirectory", "."},
      {150, "downloadLocation", ""},
      {151, "jreUncompressedSize", nullptr},
      {152, "preferredVmDirectory", ""},
      {153, "jrePacked", "0"},
      {155, "noStartupDialog", "1"},
      {157, "downloadWithoutAsking", "0"},
      {158, "globalSingleInstance", "0"},
      {159, "noStartupTimeout", "0"},
      {160, "applicationId", nullptr},
      {161, "preferInstalledRuntime", "0"},
      {163, "splashFlag", "0"},
      {165, "skipJavaSoftKeys", "0"},
      {166, "readDefaultVmOptionsFile", "0"},
      {2001, "launcherFamily", "i"},
      {2002, "includedFileCount", nullptr},
      {2003, "includedFileNames", nullptr},
      {10003, "locationFilesDirectory", "."},
      {10004, "nativeLibraryDirectories", "${launcher:sys.launcherTempDirectory}\\user"},
      {10005, "singleInstance", "0"},
      {10007, "activateRunningInstance", "1"},
      {10109, "splashLine1X", nullptr},
      {10110, "splashLine1Y", nullptr},
      {10111, "splashLine1Text", nullptr},
      {10113, "splashLine1FontSize", nullptr},
      {10114, "splashLine1Colour", nullptr},
      {10115, "splashLine1FontWeight", nullptr},
      {10116, "splashLine2X", nullptr},
      {10117, "splashLine2Y", nullptr},
      {10118, "splashLine2Text", nullptr},
      {10120, "splashLine2FontSize", nullptr},
      {10121, "splashLine2Colour", nullptr},
      {10122, "splashLine2FontWeight", nullptr},
      {10200, "versionOptionLineCount", nullptr},
  };
  return catalogue;
}

std::wstring defaultMessageText(int id) {
  for (const MessageInfo& message : messageCatalogue())
    if (message.id == id) return message.defaultText;
  return std::wstring();
}

const std::vector<MessageInfo>& messageCatalogue() {
  static const std::vector<MessageInfo> catalogue = {
      {1000, L"Error"},
      {1001, L"No Java(TM) Runtime Environment was found on your system."},
      {1002, L"The Java(TM) Runtime Environment found on your system is damaged."},
      {1003, L"Please define MORVA_JAVA_HOME to point to an installed JDK or JRE."},
      {1004, L"The environment variable {0} does not point to a working JDK or JRE."},
      {1005, L"The JVM could not be started. The maximum heap size (-Xmx) might be too large or an antivirus or "
             L"firewall tool could block the execution."},
      {1006, L"File or directory {0} not found or empty\n"},
      {1007, L"Wrong Parameter Usage"},
      {1008, L"The environment variable {0} has to be defined"},
      {1009, L"An internal error occurred (error code: {0})"},
      {1010, L"Couldn't load main class."},
      {1011, L"Main method not found."},
      {1012, L"Error"},
      {1013, L"Ok"},
      {1014, L"An error occurred while starting up {0}:"},
      {1015, L"You must be at least Poweruser to run this program."},
      {1016, L"No JVM could be found on your system.\nPlease define MORVA_JAVA_HOME to point to an installed "
             L"{0}-bit JDK or JRE or download a JRE."},
      {1017, L"The {0} environment variable does not\npoint to a working 32-bit JDK or JRE."},
      {1018, L"The {0} environment variable does not\npoint to a working 64-bit JDK or JRE."},
      {1019, L"The JVM found at {0} is damaged.\nPlease reinstall or define MORVA_JAVA_HOME\nto point to an "
             L"installed 32-bit JDK or JRE."},
      {1020, L"The JVM found at {0} is damaged.\nPlease reinstall or define MORVA_JAVA_HOME\nto point to an "
             L"installed 64-bit JDK or JRE."},
      {20001, L"This application is downloading the Java(TM) Runtime Environment. Please wait."},
      {20002, L"Cannot initialize wininet.dll. Please install\nInternet Explorer 3.0 or higher."},
      {20003, L"Error downloading the Java(TM) Runtime Environment.\nPlease check your internet connection and "
              L"start setup again."},
      {20004, L"Please choose the file \"java.exe\" of the JRE"},
      {20005, L"The lanternix wizard could not find a Java(TM) Runtime Environment on your system. You can locate "
              L"or download a suitable %S-bit JRE."},
      {20006, L"The lanternix wizard could not find a Java(TM) Runtime Environment on your system. Please locate "
              L"a suitable %S-bit JRE."},
      {20007, L"This application is preparing the lanternix Wizard which will guide you through the rest of the "
              L"setup process."},
      {20008, L"%.2f MB of %.2f MB (%.1f%%) at %.1f kb/s"},
      {20009, L"Initializing connection ..."},
      {20010, L"Download"},
      {20011, L"Locate"},
      {20012, L"Cancel"},
      {20013, L"lanternix Wizard"},
      {20014, L"The Java(TM) VM could not be started. Please restart\nthe installation.You may use the parameter "
              L"\"/manual\"\nto download or manually select a different VM."},
      {20015, L"The installer did not start up correctly on the last run. Do you want to download or select a "
              L"Java(TM) Runtime Environment?"},
      {20016, L"The installation file is corrupted. If it is a download please try it again."},
      {20018, L"Not Enough Disk Space"},
      {20019, L"minimum version:"},
      {20020, L"maximum version:"},
  };
  return catalogue;
}

const ConfigInfo* findConfigById(int id) {
  for (const ConfigInfo& info : configCatalogue())
    if (info.id == id) return &info;
  return nullptr;
}

const ConfigInfo* findConfigByName(const std::string& name) {
  for (const ConfigInfo& info : configCatalogue())
    if (name == info.name) return &info;
  return nullptr;
}

} // namespace lnx
