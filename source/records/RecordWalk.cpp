#include "RecordWalk.h"

void PassOverList(RecordReader *record) {
  RecordReader cursor;
  WalkRecords(
      cursor, [=](RecordReader &c) { return ReadNextInRecord(record, &c); }, [](RecordReader &) { return TRUE; },
      FAILURE_GOES_ON);
}
