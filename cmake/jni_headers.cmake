# The JNI headers for targets that talk to a Java virtual machine.
# Defines the interface target kelvo_jni_headers:
#   native build:  the JDK's include directory and its linux/ sub-directory
#                  (jni.h and the JDK's own jni_md.h);
#   Windows build: cmake/jni-win32 (our own jni_md.h for i686) ahead of the
#                  JDK's include directory, never the JDK's linux/ directory.
# The JDK is taken from JAVA_HOME when set, else OpenJDK 17 where Debian
# installs it, else wherever FindJNI finds one. KELVO_JDK_HOME is set to
# the JDK root for tests that need java and javac.
include_guard(GLOBAL)

if(NOT KELVO_JNI_INCLUDE_DIR)
  find_path(KELVO_JNI_INCLUDE_DIR jni.h
    HINTS "$ENV{JAVA_HOME}/include"
    PATHS /usr/lib/jvm/java-17-openjdk-amd64/include
          /usr/lib/jvm/java-17-openjdk/include
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
endif()
if(NOT KELVO_JNI_INCLUDE_DIR AND NOT CMAKE_CROSSCOMPILING)
  find_package(JNI QUIET)
  if(JNI_FOUND)
    list(GET JNI_INCLUDE_DIRS 0 _kelvo_jni_first)
    set(KELVO_JNI_INCLUDE_DIR "${_kelvo_jni_first}" CACHE PATH "JDK include directory" FORCE)
  endif()
endif()
if(NOT KELVO_JNI_INCLUDE_DIR)
  message(FATAL_ERROR "jni.h not found: install openjdk-17-jdk-headless or set JAVA_HOME")
endif()
get_filename_component(KELVO_JDK_HOME "${KELVO_JNI_INCLUDE_DIR}" DIRECTORY)
set(KELVO_JDK_HOME "${KELVO_JDK_HOME}" CACHE PATH "JDK root used for JNI headers and tests")

add_library(kelvo_jni_headers INTERFACE)
if(WIN32)
  target_include_directories(kelvo_jni_headers BEFORE INTERFACE
    "${CMAKE_CURRENT_LIST_DIR}/jni-win32" "${KELVO_JNI_INCLUDE_DIR}")
else()
  target_include_directories(kelvo_jni_headers INTERFACE
    "${KELVO_JNI_INCLUDE_DIR}" "${KELVO_JNI_INCLUDE_DIR}/linux")
endif()
