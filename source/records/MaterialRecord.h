// Record 5703: one material with its header 5704 and its channels 5900 to
// 5909; and the import's table of materials in file order.
#ifndef TESSARO_MATERIAL_RECORD_H
#define TESSARO_MATERIAL_RECORD_H

#include "RecordStream.h"

enum { MATERIAL_CHANNELS = 12 };

struct MaterialTable {
  BaseMaterial **entries = nullptr;
  LONG count = 0;
  LONG capacity = 0;
  // Which entries are in the target document, as a tree of prefix maxima
  // over positions (1-based; value p + 1 marks entry p): answers "the
  // nearest earlier entry in the document" in log time. Null until needed.
  LONG *placed = nullptr;
  LONG placedSize = 0;
};

extern MaterialTable ImportMaterials;

// Sub-record 5704: the name and the twelve channel switches.
class MaterialHeader : public RecordReader {
 public:
  using RecordReader::RecordReader;
  // Any other record in the header's place fails the material.
  Bool Read();

  String name;
  UCHAR switches[MATERIAL_CHANNELS] = {0};
  UCHAR extra = 0;
  LONG extraLength = 0;
};

// One channel sub-record: the common block and the extension of its channel.
class ChannelRecord : public RecordReader {
 public:
  using RecordReader::RecordReader;
  Bool Read(BaseMaterial *mat);

  Vector colour;
  Real brightness = 0;
  String texture;
  Real channelReal = 0;
  LONG channelInteger = 0;
  Vector channelVector;
  LONG integers[7] = {0};
};

// The reader of material records for one load: it holds no record, but
// where its last walk of the document's materials ended.
class MaterialReader {
 public:
  // record: the load's cursor on the 5703 record; its end bounds the
  // material's sub-records (see ReadNextInRecord).
  BaseMaterial *ReadMaterial(RecordReader *record, BaseDocument *doc, LONG index);

 private:
  // Where the walk to the last running index ended, so that the next one
  // (index + 1) takes one step instead of walking from the first material.
  // Valid only for the same document, the next index and an unchanged
  // first material: in a materials update only this reader changes the
  // document's materials, each time at or after that place.
  BaseDocument *walkDoc_ = nullptr;
  LONG walkIndex_ = -1;
  BaseMaterial *walkFirst_ = nullptr;
  BaseMaterial *walkAt_ = nullptr;    // the material now at walkIndex_, or none
  BaseMaterial *walkPred_ = nullptr;  // the one before it
};

// Reads the channel sub-records of the material record up to its end record
// into the material, with the material table (RecordTables.h).
Bool ReadChannels(RecordReader *record, BaseMaterial *mat);
// Appends a material, or an empty entry for a material record that failed,
// to the table; a material that cannot be held and is in no document is
// freed.
void AppendMaterial(BaseMaterial *mat);
// Frees every material of the table that is in no document; empties the table.
void ReleaseLooseMaterials(BaseDocument *doc);
// The nearest entry before position that is in the document, or none.
BaseMaterial *NearestPlacedBefore(BaseDocument *doc, LONG position);
// Records that the entry at position has entered the document.
void MarkPlaced(LONG position);

#endif
