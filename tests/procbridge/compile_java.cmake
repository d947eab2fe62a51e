# Compiles the Java test classes with javac (run as a test fixture):
#   OUT/classes          TORNEL.server.NativeProcess with m_nPID, SpawnDriver
#   OUT/classes-nofield  TORNEL.server.NativeProcess without m_nPID
# Usage: cmake -DJAVAC=... -DSRC=<tests/procbridge> -DOUT=<dir> -P compile_java.cmake
file(REMOVE_RECURSE ${OUT}/classes ${OUT}/classes-nofield)
execute_process(COMMAND ${JAVAC} -Xlint:all -d ${OUT}/classes
                        ${SRC}/java/TORNEL/server/NativeProcess.java ${SRC}/java/SpawnDriver.java
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "javac failed for the test classes")
endif()
execute_process(COMMAND ${JAVAC} -Xlint:all -d ${OUT}/classes-nofield
                        ${SRC}/java-nofield/TORNEL/server/NativeProcess.java
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "javac failed for the class without m_nPID")
endif()
