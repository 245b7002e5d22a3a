// The program's exit statuses, one list for the program, its tests and the
// scripts' documentation (README).
#ifndef TESSARO_EXIT_STATUS_H
#define TESSARO_EXIT_STATUS_H

enum {
  EXIT_IMPORTED = 0,
  EXIT_USAGE = 2,
  EXIT_FILE = 3,       // a file could not be read, recognised or written
  EXIT_LOAD = 4,       // the load answered a failure
  EXIT_TRUNCATED = 5,  // the stream ended early; what was read is kept
  EXIT_DAMAGED = 6,    // inspect: the file has framing problems
  EXIT_BATCH = 7,      // a batch: some of its files failed
};

#endif
