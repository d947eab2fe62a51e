// Ids of the launcher's dialog and control resources, shared by the
// resource script and the code.
#ifndef SRVLAUNCH_RESOURCE_IDS_H
#define SRVLAUNCH_RESOURCE_IDS_H

#define SRVLAUNCH_DETAILS_DIALOG 101
#define SRVLAUNCH_ERROR_ICON 1000
#define SRVLAUNCH_MESSAGE_PLACE 1001
#define SRVLAUNCH_DETAILS_TEXT 1002
#define SRVLAUNCH_SPLASH_BITMAP 8000
#define SRVLAUNCH_EMBEDDED_JARS 16000

#endif
