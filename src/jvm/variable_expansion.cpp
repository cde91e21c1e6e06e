#include "jvm/variable_expansion.h"

#include <type_traits>

#include "text/ascii_text.h"
#include "log/log.h"
#include "text/codepage.h"

namespace lnx {

namespace {

enum class FixedValue { LauncherDirectory, LauncherTempDirectory, PathListSeparator, JvmHome, TempBase };

struct FixedToken {
  const char* token;
  FixedValue value;
};

// Replaced in this order, so a value inserted by one token is seen only by the tokens after it.
constexpr FixedToken kFixedTokens[] = {
    {"%MORVA_EXEDIR%", FixedValue::LauncherDirectory},
    {"%LANTERNIX_EXEDIR%", FixedValue::LauncherDirectory},
    {"%MORVA_TEMPDIR%", FixedValue::LauncherTempDirectory},
    {"%LANTERNIX_TEMPDIR%", FixedValue::LauncherTempDirectory},
    {"%MORVA_PATHLIST_SEPARATOR%", FixedValue::PathListSeparator},
    {"%LANTERNIX_PATHLIST_SEPARATOR%", FixedValue::PathListSeparator},
    {"%MORVA_JVM_HOME%", FixedValue::JvmHome},
    {"%LANTERNIX_JVM_HOME%", FixedValue::JvmHome},
    {"${MORVA_EXEDIR}", FixedValue::LauncherDirectory},
    {"${LANTERNIX_EXEDIR}", FixedValue::LauncherDirectory},
    {"${MORVA_TEMPDIR}", FixedValue::LauncherTempDirectory},
    {"${LANTERNIX_TEMPDIR}", FixedValue::LauncherTempDirectory},
    {"${MORVA_PATHLIST_SEPARATOR}", FixedValue::PathListSeparator},
    {"${LANTERNIX_PATHLIST_SEPARATOR}", FixedValue::PathListSeparator},
    {"${MORVA_JVM_HOME}", FixedValue::JvmHome},
    {"${LANTERNIX_JVM_HOME}", FixedValue::JvmHome},
    {"${launcher:sys.launcherDirectory}", FixedValue::LauncherDirectory},
    {"${launcher:sys.launcherTempDirectory}", FixedValue::LauncherTempDirectory},
    {"${launcher:sys.pathlistSeparator}", FixedValue::PathListSeparator},
    {"${launcher:sys.jvmHome}", FixedValue::JvmHome},
    {"${launcher:sys.tempDir}", FixedValue::TempBase},
};

// Keeps at most limit characters; a UTF-16 pair is not split, so the cut text still
// converts cleanly.
template <class String> void cutText(String& text, size_t limit) {
  text.resize(limit);
  if constexpr (std::is_same_v<String, std::wstring>) {
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
  }
}

template <class String, class LoggedValue>
void replaceEach(String& text, const String& token, const String& inserted, const LoggedValue& loggedValue,
                 const wchar_t* format, size_t capacity) {
  if (token.empty()) return;
  const size_t limit = capacity > 0 ? capacity - 1 : 0;
  const wchar_t* truncatedFormat = std::is_same_v<String, std::wstring>
                                       ? L"expansion of %s truncated at %d characters"
                                       : L"expansion of %S truncated at %d characters";
  for (size_t at = text.find(token); at != String::npos; at = text.find(token, at + inserted.size())) {
    text.replace(at, token.size(), inserted);
    if (text.size() > limit) {
      cutText(text, limit);
      logError(truncatedFormat, token, static_cast<int>(limit));
    }
    logPrint(format, token, loggedValue, text);
  }
}

template <class String> void expandWith(String& text, const ExpansionInputs<String>& inputs, size_t capacity) {
  using Char = typename String::value_type;
  for (const FixedToken& fixed : kFixedTokens) {
    const String token = asciiText<String>(fixed.token);
    switch (fixed.value) {
    case FixedValue::LauncherDirectory: replaceAll(text, token, inputs.launcherDirectory, capacity); break;
    case FixedValue::LauncherTempDirectory: replaceAll(text, token, inputs.launcherTempDirectory, capacity); break;
    case FixedValue::PathListSeparator: replaceAll(text, token, asciiText<String>(";"), capacity); break;
    case FixedValue::JvmHome: replaceAll(text, token, inputs.jvmHome, capacity); break;
    case FixedValue::TempBase: replaceAll(text, token, inputs.tempBase, capacity); break;
    }
  }
  for (const String& entry : inputs.environment) {
    const size_t equals = entry.find(Char('='));
    if (equals == String::npos) continue;
    const String value = entry.substr(equals + 1);
    String token = asciiText<String>("${") + entry.substr(0, equals) + Char('}');
    replaceAll(text, token, value, capacity);
    for (Char& c : token)
      if (c >= Char('a') && c <= Char('z')) c = static_cast<Char>(c - Char('a') + Char('A'));
    replaceAll(text, token, value, capacity);
  }
}

} // namespace

void replaceAll(std::wstring& text, const std::wstring& token, const std::wstring& value, size_t capacity) {
  replaceEach(text, token, value, value, L"expanding2 %s to %s in %s.", capacity);
}

void replaceAll(std::wstring& text, const std::wstring& token, const std::string& value, size_t capacity) {
  replaceEach(text, token, narrowToWide(value), value, L"expanding2 %s to %S in %s.", capacity);
}

void replaceAll(std::string& text, const std::string& token, const std::string& value, size_t capacity) {
  replaceEach(text, token, value, value, L"expanding2 %S to %S in %S.", capacity);
}

void expandVariablesWith(std::wstring& text, const ExpansionInputs<std::wstring>& inputs, size_t capacity) {
  expandWith(text, inputs, capacity);
}

void expandVariablesWith(std::string& text, const ExpansionInputs<std::string>& inputs, size_t capacity) {
  expandWith(text, inputs, capacity);
}

} // namespace lnx
