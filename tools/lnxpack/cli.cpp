#include "lnxpack/cli.h"

#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "lnxpack/file_io.h"
#include "lnxpack/inspect.h"
#include "lnxpack/inspect_print.h"
#include "lnxpack/payload_builder.h"
#include "lnxpack/project_file.h"
#include "lnxpack/tool_error.h"
#include "text/utf16.h"

namespace lnx::pack {

namespace fs = std::filesystem;

namespace {

constexpr int kFailure = 2;

constexpr const char* kUsage = "usage: lnxpack build PROJECT.json -o OUT.exe [--stub STUB.exe]\n"
                               "       lnxpack inspect [--json] [--locale LOCALE] SETUP.exe\n";

struct UsageError {
  std::string problem;
};

struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values; // options that take a value
  std::set<std::string> flags;
};

Arguments parseArguments(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                         const std::set<std::string>& flagOptions) {
  Arguments parsed;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (valueOptions.count(arg)) {
      if (i + 1 == args.size()) throw UsageError{arg + " needs a value"};
      if (!parsed.values.emplace(arg, args[++i]).second) throw UsageError{arg + " given twice"};
    } else if (flagOptions.count(arg)) {
      parsed.flags.insert(arg);
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError{"unknown option " + arg};
    } else {
      parsed.positional.push_back(arg);
    }
  }
  if (parsed.positional.size() != 1) throw UsageError{args[0] + " takes exactly one file"};
  return parsed;
}

std::optional<std::string> valueOf(const Arguments& parsed, const std::string& option) {
  auto it = parsed.values.find(option);
  return it == parsed.values.end() ? std::nullopt : std::optional<std::string>(it->second);
}

int runBuild(const std::vector<std::string>& args, std::ostream& out) {
  Arguments parsed = parseArguments(args, {"-o", "--stub"}, {});
  std::optional<std::string> output = valueOf(parsed, "-o");
  if (!output) throw UsageError{"build needs -o OUT.exe"};
  fs::path projectFile = parsed.positional[0];
  Project project = loadProject(projectFile);
  std::optional<std::string> stubOption = valueOf(parsed, "--stub");
  fs::path stub = stubOption ? fs::path(*stubOption) : project.stub;
  if (stub.empty()) throw ToolError{projectFile, "no stub: set \"stub\" in the project or pass --stub"};
  BuildSummary summary = buildSetup(project, stub, *output);
  out << "lnxpack: wrote " << *output << " (" << summary.files << " files, payload at "
      << summary.payloadStart << ", " << summary.setupSize << " bytes)\n";
  if (summary.droppedStubBytes)
    out << "lnxpack: dropped " << summary.droppedStubBytes << " bytes of COFF symbol and string table from "
        << stub.string() << "\n";
  return 0;
}

int runInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Arguments parsed = parseArguments(args, {"--locale"}, {"--json"});
  fs::path setupFile = parsed.positional[0];
  std::string locale = valueOf(parsed, "--locale").value_or("");
  InspectReport report = inspectSetup(readFileBytes(setupFile), setupFile, locale);
  if (parsed.flags.count("--json"))
    printReportJson(report, setupFile, locale, out);
  else
    printReportText(report, setupFile, locale, out);
  // A file the launcher would refuse fails the command, after everything readable is shown.
  std::string problem;
  if (report.error)
    problem = wideToUtf8(*report.error);
  else if (report.checksumVerdict == verdict::kMismatch || report.checksumVerdict == verdict::kTruncated)
    problem = "checksum " + report.checksumVerdict;
  if (problem.empty()) return 0;
  err << "lnxpack: " << setupFile.string() << ": " << problem << "\n";
  return kFailure;
}

} // namespace

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    if (args.empty()) throw UsageError{"no command"};
    if (args[0] == "--help" || args[0] == "-h") {
      out << kUsage;
      return 0;
    }
    if (args[0] == "build") return runBuild(args, out);
    if (args[0] == "inspect") return runInspect(args, out, err);
    throw UsageError{"unknown command " + args[0]};
  } catch (const UsageError& error) {
    err << "lnxpack: " << error.problem << "\n" << kUsage;
  } catch (const ToolError& error) {
    err << "lnxpack: " << error.file.string() << ": " << error.problem << "\n";
  } catch (const std::exception& error) { // out of memory on a huge file, and the like
    err << "lnxpack: " << error.what() << "\n";
  }
  return kFailure;
}

} // namespace lnx::pack
