#pragma once
// The frame of a test of native methods: the fake VM as their JNIEnv, over the launcher's
// own Java classes, and the check after every test that the natives used JNI as a real VM
// allows: nothing invalid or unsupported, every string and array copy released, and no
// exception left pending (natives never throw).
#include <gtest/gtest.h>

#include <string>

#include "jni_fake/fake_jvm.h"
#include "native_lookup.h"

namespace lnx {

class NativeTest : public ::testing::Test {
protected:
  void TearDown() override {
    jnifake::JsonValue seen = report.snapshot();
    EXPECT_TRUE(seen.find(jnifake::report::kInvalid)->items().empty()) << seen.serialized();
    EXPECT_TRUE(seen.find(jnifake::report::kUnsupported)->items().empty()) << seen.serialized();
    EXPECT_EQ(0u, jvm.unreleasedTexts());
    EXPECT_EQ(0u, jvm.unreleasedArrays());
    EXPECT_FALSE(jvm.exceptionPending());
  }

  // A new Java string of the text, as a caller on the Java side passes it.
  jstring text(const std::wstring& value) { return jvm.newString(std::u16string(value.begin(), value.end())); }

  // An object as the fake VM shows it, in one line: strings as JSON texts, arrays as lists,
  // constructed objects with their class and constructor arguments.
  std::string shown(jobject object) {
    std::string serialized = jvm.describe(object).serialized(-1);
    return serialized.substr(0, serialized.size() - 1);
  }

  jnifake::JniReport report;
  // Wine's drive Z: is the Unix root.
  jnifake::FakeJvm jvm{{{L"Z:" LNX_RUNTIME_JAR_PATH}, ""}, report};
  JNIEnv* env = jvm.env();
};

} // namespace lnx
