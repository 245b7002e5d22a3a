// The stand-in host's scene model: documents own objects, tags and
// materials; an element made by a plug-in is the plug-in's until inserted.
// Each class keeps its own rules (where an element may go, unique
// material names, one tag of each variable type); the C tables
// (host/abi/), the document file and the tests all go through them.
#ifndef TESSARO_HOST_MODEL_H
#define TESSARO_HOST_MODEL_H

#include "Document.h"
#include "Element.h"
#include "Material.h"
#include "Object.h"
#include "Registry.h"
#include "Tracks.h"
#include "Value.h"

#endif
