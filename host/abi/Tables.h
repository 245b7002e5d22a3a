// The host's function tables, one per host class, each filled in a file of
// host/abi/ of the class's name; HostInterface hands them all out.
#ifndef TESSARO_HOST_TABLES_H
#define TESSARO_HOST_TABLES_H

#include "host_interface.h"

namespace tessaro {
const th_host_interface *HostInterface();
const th_memory_table *MemoryTable();
const th_string_table *StringTable();
const th_plugin_table *PluginTable();
const th_document_table *DocumentTable();
const th_list_table *ListTable();
const th_object_table *ObjectTable();
const th_tag_table *TagTable();
const th_material_table *MaterialTable();
const th_file_table *FileTable();
const th_dialog_table *DialogTable();
const th_data_table *DataTable();
const th_animation_table *AnimationTable();
const th_platform_table *PlatformTable();
}  // namespace tessaro

#endif
