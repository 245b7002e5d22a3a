/* The host's type numbers for the elements both sides name: objects, tags
 * and materials. The plug-in allocates by them and the host models, writes
 * and exports by them; they are the host application's own numbers, so
 * documents and plug-ins agree on them without a table between. */
#ifndef TESSARO_HOST_TYPES_H
#define TESSARO_HOST_TYPES_H

enum {
  Opolygon = 5100,
  Ospline = 5101,
  Olight = 5102,
  Ocamera = 5103,
  Osettings = 5106,  // made from a kind record that carries its settings
  Oplain = 5122,     // made from a kind record without a body
  Onull = 5140,
  Tpoint = 5600,
  Tpolygon = 5604,
  Tphong = 5612,
  Ttexture = 5616,
  Tuvw = 5671,
  Mmaterial = 5703
};

#endif
