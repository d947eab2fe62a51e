// The entity sections of the standard report (facilities and storages,
// queues, tables, savevalues, the list of future events). Their layouts
// come with the statistics of those entities; until then each section
// writes nothing.
#pragma once

namespace kelvo {

struct Engine;

void report_station_section(Engine& e);
void report_queue_section(Engine& e);
void report_table_section(Engine& e);
void report_savevalue_section(Engine& e);
void report_future_events(Engine& e);

}  // namespace kelvo
