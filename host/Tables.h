// The host's function tables, one per host class.
#ifndef TESSARO_HOST_TABLES_H
#define TESSARO_HOST_TABLES_H

#include "host_interface.h"

namespace tessaro {
const th_host_interface *HostInterface();
const th_file_table *FileTable();
const th_dialog_table *DialogTable();
}  // namespace tessaro

#endif
