# jni.h from the machine's JDK. Its jni_md.h is the host's own on Linux; for 32-bit
# Windows it is ours (src/jni_win32: stdcall, 32-bit jint), because the JDK here is a
# Linux one.
file(GLOB jdk_include_dirs LIST_DIRECTORIES true /usr/lib/jvm/*/include)
find_path(LNX_JNI_INCLUDE_DIR jni.h PATHS ${jdk_include_dirs}
          REQUIRED NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
add_library(lnxjni INTERFACE)
if(WIN32)
  target_include_directories(lnxjni INTERFACE ${PROJECT_SOURCE_DIR}/src/jni_win32 ${LNX_JNI_INCLUDE_DIR})
else()
  target_include_directories(lnxjni INTERFACE ${LNX_JNI_INCLUDE_DIR} ${LNX_JNI_INCLUDE_DIR}/linux)
endif()
