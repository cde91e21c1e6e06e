// The fake VM's objects for tests of natives: constructors through NewObject, Integer
// values, primitive arrays by region and by elements, and the report's view of them, over
// the launcher's own lnxruntime.jar.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jni_fake/fake_jvm.h"

namespace jnifake {
namespace {

// Wine's drive Z: is the Unix root.
const wchar_t kRuntimeJar[] = L"Z:" LNX_RUNTIME_JAR_PATH;
const char kExpandStringClass[] = "com/lanternix/api/windows/WinRegistry$ExpandString";

std::string json(const JsonValue& value) {
  std::string text = value.serialized(-1);
  text.pop_back(); // the final line end
  return text;
}

class FakeJvmObjects : public ::testing::Test {
protected:
  // Each recorded invalid use as "function: problem".
  std::vector<std::string> invalidUses() const {
    std::vector<std::string> uses;
    JsonValue document = report.snapshot();
    for (const JsonValue& use : document.find(u"invalid")->items()) {
      const std::u16string& function = use.find(u"function")->asText();
      const std::u16string& problem = use.find(u"problem")->asText();
      uses.push_back(std::string(function.begin(), function.end()) + ": " +
                     std::string(problem.begin(), problem.end()));
    }
    return uses;
  }
  std::vector<JsonValue> calls(const std::u16string& kind) const {
    std::vector<JsonValue> found;
    JsonValue document = report.snapshot();
    for (const JsonValue& call : document.find(u"calls")->items())
      if (call.find(u"kind")->asText() == kind) found.push_back(call);
    return found;
  }

  JniReport report;
  FakeJvm jvm{FakeJvmSetup{{kRuntimeJar}, ""}, report};
  JNIEnv* env = jvm.env();
};

TEST_F(FakeJvmObjects, IntegersAnswerIntValueWithTheirConstructorArgument) {
  jclass integerClass = env->FindClass("java/lang/Integer");
  ASSERT_NE(nullptr, integerClass);
  jmethodID constructor = env->GetMethodID(integerClass, "<init>", "(I)V");
  jmethodID intValue = env->GetMethodID(integerClass, "intValue", "()I");
  ASSERT_NE(nullptr, constructor);
  ASSERT_NE(nullptr, intValue);

  jobject variadic = env->functions->NewObject(env, integerClass, constructor, jint(42));
  jvalue argument;
  argument.i = -7;
  jobject fromArray = env->NewObjectA(integerClass, constructor, &argument);
  jobject fromTest = jvm.newInteger(2147483647);

  EXPECT_EQ(42, env->functions->CallIntMethod(env, variadic, intValue));
  EXPECT_EQ(-7, env->CallIntMethodA(fromArray, intValue, nullptr));
  EXPECT_EQ(2147483647, env->CallIntMethod(fromTest, intValue)); // through CallIntMethodV
  EXPECT_EQ(R"({"class": "java/lang/Integer", "arguments": [42]})", json(jvm.describe(variadic)));
  EXPECT_EQ(R"({"class": "java/lang/Integer"})", json(jvm.describe(env->GetObjectClass(fromArray))));
  jmethodID toString = env->GetMethodID(integerClass, "toString", "()Ljava/lang/String;");
  EXPECT_EQ(u"-7", jvm.stringText(env->CallObjectMethod(fromArray, toString)));

  std::vector<JsonValue> built = calls(u"newObject");
  ASSERT_EQ(2u, built.size());
  EXPECT_EQ(u"NewObject", built[0].find(u"function")->asText());
  EXPECT_EQ(u"java/lang/Integer", built[0].find(u"class")->asText());
  EXPECT_EQ(u"(I)V", built[0].find(u"descriptor")->asText());
  EXPECT_EQ("[-7]", json(*built[1].find(u"arguments")));
  EXPECT_TRUE(invalidUses().empty());
}

TEST_F(FakeJvmObjects, ConstructorsOfJarClassesKeepTheirArgumentsBeyondTheCallersReferences) {
  jclass expandString = env->FindClass(kExpandStringClass);
  ASSERT_NE(nullptr, expandString);
  jmethodID constructor = env->GetMethodID(expandString, "<init>", "(Ljava/lang/String;)V");
  ASSERT_NE(nullptr, constructor) << "the class file's constructor is kept";
  jstring text = jvm.newString(u"%SystemRoot%\\Temp \u20ac");

  jobject built = env->NewObject(expandString, constructor, text); // through NewObjectV
  env->DeleteLocalRef(text);
  jobject noText = env->NewObject(expandString, constructor, nullptr);

  EXPECT_EQ(R"({"class": "com/lanternix/api/windows/WinRegistry$ExpandString", )"
            R"("arguments": ["%SystemRoot%\\Temp \u20ac"]})",
            json(jvm.describe(built)));
  EXPECT_EQ("[null]", json(*jvm.describe(noText).find(u"arguments")));
  EXPECT_EQ(R"({"class": "com/lanternix/api/windows/WinRegistry$ExpandString"})",
            json(jvm.describe(env->GetObjectClass(built))));
  EXPECT_TRUE(invalidUses().empty());
}

TEST_F(FakeJvmObjects, MisusedConstructorsAndIntCallsAreRecordedAndAnswerNothing) {
  jclass integerClass = env->FindClass("java/lang/Integer");
  jclass expandString = env->FindClass(kExpandStringClass);
  jmethodID integerConstructor = env->GetMethodID(integerClass, "<init>", "(I)V");
  jmethodID intValue = env->GetMethodID(integerClass, "intValue", "()I");

  EXPECT_EQ(nullptr, env->NewObject(integerClass, intValue, 1));
  EXPECT_EQ(nullptr, env->NewObject(expandString, integerConstructor, 1));
  EXPECT_EQ(0, env->CallIntMethod(nullptr, intValue));
  EXPECT_EQ(0, env->CallIntMethod(jvm.newString(u"12"), intValue));
  EXPECT_EQ(nullptr, env->NewByteArray(-1));

  EXPECT_EQ((std::vector<std::string>{
                "NewObjectV: a method ID that is no constructor of java/lang/Integer",
                "NewObjectV: a method ID that is no constructor of " + std::string(kExpandStringClass),
                "CallIntMethodV: a null receiver",
                "CallIntMethodV: a receiver that is no java/lang/Integer",
                "NewByteArray: a negative length",
            }),
            invalidUses());
  EXPECT_TRUE(calls(u"newObject").empty());
  EXPECT_TRUE(calls(u"call").empty());
}

TEST_F(FakeJvmObjects, ByteArrayRegionsRoundTrip) {
  jbyteArray array = env->NewByteArray(4);
  ASSERT_NE(nullptr, array);
  const jbyte written[] = {-1, 127};
  env->SetByteArrayRegion(array, 1, 2, written);
  jbyte read[4] = {9, 9, 9, 9};
  env->GetByteArrayRegion(array, 0, 4, read);
  env->GetByteArrayRegion(array, 4, 0, nullptr); // an empty region at the end

  EXPECT_EQ((std::vector<jbyte>{0, -1, 127, 0}), std::vector<jbyte>(read, read + 4));
  EXPECT_EQ(4, env->GetArrayLength(array));
  EXPECT_EQ("[0, -1, 127, 0]", json(jvm.describe(array)));
  jbyteArray fromTest = jvm.newByteArray({-128, 5, 6});
  jbyte last[2] = {};
  env->GetByteArrayRegion(fromTest, 1, 2, last);
  EXPECT_EQ((std::vector<jbyte>{5, 6}), std::vector<jbyte>(last, last + 2));
  EXPECT_EQ(3, env->GetArrayLength(fromTest));
  EXPECT_FALSE(jvm.exceptionPending());
  EXPECT_TRUE(invalidUses().empty());
}

struct Region {
  jsize start;
  jsize length;
  const char* bounds; // of the exception's text
};

class ByteRegionOutside : public FakeJvmObjects, public ::testing::WithParamInterface<Region> {};

TEST_P(ByteRegionOutside, LeavesAnArrayIndexExceptionAndCopiesNothing) {
  const Region region = GetParam();
  jbyteArray array = jvm.newByteArray({1, 2, 3, 4});
  jbyte buffer[8] = {7, 7, 7, 7, 7, 7, 7, 7};
  std::string thrown = std::string(R"({"throwable": "java.lang.ArrayIndexOutOfBoundsException: Array region )") +
                       region.bounds + R"( out of bounds for length 4"})";

  env->GetByteArrayRegion(array, region.start, region.length, buffer);
  jthrowable exception = env->ExceptionOccurred();
  ASSERT_NE(nullptr, exception);
  EXPECT_EQ(thrown, json(jvm.describe(exception)));
  env->ExceptionClear(); // JNI allows no other call while it is pending
  EXPECT_EQ(R"({"class": "java/lang/ArrayIndexOutOfBoundsException"})",
            json(jvm.describe(env->GetObjectClass(exception))));
  env->SetByteArrayRegion(array, region.start, region.length, buffer);

  EXPECT_TRUE(jvm.exceptionPending());
  EXPECT_EQ((std::vector<jbyte>(8, 7)), std::vector<jbyte>(buffer, buffer + 8));
  EXPECT_EQ("[1, 2, 3, 4]", json(jvm.describe(array)));
  EXPECT_TRUE(invalidUses().empty());
}

INSTANTIATE_TEST_SUITE_P(FakeJvmObjects, ByteRegionOutside,
                         ::testing::Values(Region{3, 2, "3..5"}, Region{5, 0, "5..5"}, Region{-1, 2, "-1..1"},
                                           Region{0, -1, "0..-1"}, Region{2, 2147483647, "2..2147483649"}));

TEST_F(FakeJvmObjects, IntAndBooleanArraysByRegionAndByElements) {
  jintArray pids = jvm.newIntArray({4, -8, 2147483647});
  jint read[3] = {};
  env->GetIntArrayRegion(pids, 0, 3, read);
  EXPECT_EQ((std::vector<jint>{4, -8, 2147483647}), std::vector<jint>(read, read + 3));
  const jint written[] = {-1};
  env->SetIntArrayRegion(pids, 2, 1, written);
  EXPECT_EQ("[4, -8, -1]", json(jvm.describe(pids)));

  // Elements are a copy: mode 0 writes it back, JNI_ABORT drops it, JNI_COMMIT writes it
  // back and keeps it handed out.
  jbooleanArray states = jvm.newBooleanArray({true, false});
  jboolean* elements = env->GetBooleanArrayElements(states, nullptr);
  ASSERT_NE(nullptr, elements);
  EXPECT_EQ((std::vector<jboolean>{JNI_TRUE, JNI_FALSE}), std::vector<jboolean>(elements, elements + 2));
  elements[1] = JNI_TRUE;
  env->ReleaseBooleanArrayElements(states, elements, JNI_ABORT);
  EXPECT_EQ("[true, false]", json(jvm.describe(states)));
  elements = env->GetBooleanArrayElements(states, nullptr);
  elements[0] = JNI_FALSE;
  env->ReleaseBooleanArrayElements(states, elements, JNI_COMMIT);
  EXPECT_EQ("[false, false]", json(jvm.describe(states)));
  EXPECT_EQ(1u, jvm.unreleasedArrays());
  env->ReleaseBooleanArrayElements(states, elements, 0);
  EXPECT_EQ(0u, jvm.unreleasedArrays());
  EXPECT_TRUE(invalidUses().empty());

  // What a real VM would not take: the wrong element type, elements released twice.
  env->GetByteArrayRegion(reinterpret_cast<jbyteArray>(pids), 0, 1, reinterpret_cast<jbyte*>(read));
  env->ReleaseBooleanArrayElements(states, elements, 0);
  EXPECT_EQ((std::vector<std::string>{
                "GetByteArrayRegion: an object that is no [B array",
                "ReleaseBooleanArrayElements: elements this VM did not hand out for this array, or released twice"}),
            invalidUses());
  EXPECT_EQ(nullptr, env->NewIntArray(-1));
}

TEST_F(FakeJvmObjects, DescribeShowsStringArraysAndNothingForDeadReferences) {
  jobjectArray texts = jvm.newStringArray({u"C:\\Programme\\S\u00fc\u00df", std::nullopt, u""});
  jstring deleted = jvm.newString(u"gone");
  env->DeleteLocalRef(deleted);

  EXPECT_EQ(R"(["C:\\Programme\\S\u00fc\u00df", null, ""])", json(jvm.describe(texts)));
  EXPECT_EQ(3, env->GetArrayLength(texts));
  EXPECT_EQ(JsonValue::Kind::null, jvm.describe(deleted).kind());
  EXPECT_EQ(JsonValue::Kind::null, jvm.describe(nullptr).kind());
}

} // namespace
} // namespace jnifake
