// The plug-in's whole view of the host.
#ifndef TESSARO_C4D_H
#define TESSARO_C4D_H

#include "c4d_file.h"
#include "c4d_gui.h"
#include "c4d_plugin.h"
#include "c4d_scene.h"
#include "c4d_types.h"

#endif
