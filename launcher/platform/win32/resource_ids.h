// Ids of the launcher's dialog and control resources, shared by the
// resource script and the code.
#ifndef SRVLAUNCH_RESOURCE_IDS_H
#define SRVLAUNCH_RESOURCE_IDS_H

#define kIdDetailsDialog 101
#define kIdErrorIcon 1000
#define kIdMessagePlace 1001
#define kIdDetailsText 1002
#define kIdEmbeddedJars 16000

#endif
