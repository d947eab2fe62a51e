// The launcher's numbered string resources: every setting with its shipped
// value and every message text. One list serves both builds: the Windows
// resource script turns it into its STRINGTABLE, the POSIX backend into a
// compiled-in table. Ids without an entry read as the empty text.
// The strings are written with C escapes, which the resource compiler reads
// the same way.
#ifndef SRVLAUNCH_STRING_TABLE_H
#define SRVLAUNCH_STRING_TABLE_H

// X(id, "text")
#define SRVLAUNCH_STRING_TABLE(X) \
  X(1024, "0x00010006") \
  X(1040, "..\\jre\\bin\\client\\jvm.dll") \
  X(1056, "-Djava.security.policy=server.policy -Djava.rmi.server.codebase=file:/.\\") \
  X(1072, "..\\Orvane_1.32-extended.jar;.") \
  X(1088, "0") \
  X(1104, "2") \
  X(1120, "01234") \
  X(1136, "-install") \
  X(1152, "-uninstall") \
  X(1168, "-startlauncherinservicemode") \
  X(1184, ".\\server") \
  X(1200, "052D653A0E3B1A42370806553A566A5672270745") \
  X(1248, "0") \
  X(1264, "1") \
  X(1344, "0") \
  X(1360, "0") \
  X(1376, "0") \
  X(1392, "0") \
  X(1408, "2") \
  X(1424, "2") \
  X(1440, "stdout.log") \
  X(1456, "stderr.log") \
  X(1472, "Loading Orvane Server...") \
  X(1488, "0") \
  X(1504, "2") \
  X(1520, "3") \
  X(1552, "0") \
  X(1584, "0") \
  X(1600, "An instance of this program is already running.") \
  X(1616, "Error accessing file/directory: %s") \
  X(1632, "Error writing to file/directory: %s") \
  X(1648, "Unable to locate suitable Java Runtime Environment on this machine.") \
  X(1664, "Unable to load JVM: %s") \
  X(1680, "Unable to locate JNI interfaces in %s") \
  X(1696, "Unable to create JVM instance using %s") \
  X(1712, "Unable to attach thread to the JVM.") \
  X(1728, "Error locating class: %s") \
  X(1744, "Error locating method: %s") \
  X(1760, "Error instantiating object: %s") \
  X(1776, "Error assigning string argument: %s") \
  X(1792, "Error invoking method: %s") \
  X(1808, "Service installed: %s") \
  X(1824, "Service uninstalled: %s") \
  X(1840, "Service is already installed: %s") \
  X(1856, "The %s service has started.") \
  X(1872, "The %s service has stopped.") \
  X(1888, "The %s service failed to start.") \
  X(1904, "The %s service has timed out during a stop request and will be terminated.") \
  X(1920, "This program can only be run as a service.")

#endif
