// The interface handed to plug-ins: the version and the thirteen tables.
#include "Tables.h"

const th_host_interface *tessaro::HostInterface() {
  static const th_host_interface kInterface = {
      TH_INTERFACE_VERSION, sizeof(th_host_interface), MemoryTable(), StringTable(), PluginTable(),
      DocumentTable(),      ListTable(),               ObjectTable(), TagTable(),    MaterialTable(),
      FileTable(),          DialogTable(),             DataTable(),   AnimationTable(), PlatformTable()};
  return &kInterface;
}
