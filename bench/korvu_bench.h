// The host benchmark's parts: the files prepared, each measure run on one
// of them, and the tables printed from the times.
#pragma once
#include <stdint.h>

#include <map>
#include <string>
#include <vector>

#include "bytes.h"
#include "corpus.h"
#include "encoder.h"
#include "implode.h"

struct Prepared {
    CorpusFile file;
    ImplodeHeader header; // the smaller of binary and text with the 4 KB window
    Bytes implode;
    Bytes deflate9;         // raw deflate, level 9, as inside a gzip file
    uint32_t crc;           // zlib's crc32 of the file
    double encode_seconds;  // our encoder, header 00 06, one pass
    double deflate_seconds; // zlib -9, one pass
};

// The files of the corpus, each encoded both ways.
Prepared Prepare(const CorpusFile &f);

enum Measure {
    kDecode,
    kInflate,
    kInflateBlocks,
    kDecodeCrc,
    kInflateCrc,
    kCrcOurs,
    kCrcZlib,
    kCrcBytewise,
    kMeasures
};
extern const char *const kMeasureNames[kMeasures];

// Opens and closes the inflate stream the measures share.
void StartInflate();
void EndInflate();
// Runs one measure on one file `reps` times; returns thread CPU seconds.
// A wrong output ends the program.
double RunOnce(Measure m, const Prepared &p, unsigned char *out, int reps);
// What the CRC loops computed, so that they are not dropped.
uint32_t CrcSink();

// One group's table: MB/s of each measure and the ratios, from
// t[measure][round], the seconds of the group's files.
void PrintGroup(const std::string &group, double bytes, size_t files,
                const std::vector<std::vector<double>> &t);
// One file's row: its header, sizes and the decode ratios.
void PrintFileRow(const Prepared &p, const std::vector<std::vector<double>> &t);
// The encoder's table: sizes against the optimum and zlib -9, and speeds.
void PrintEncoder(const std::vector<Prepared> &files);
// The implode streams and a manifest, for win32_decode_bench.
bool WriteStreams(const std::string &dir, const std::vector<Prepared> &files);
// The real files of the corpus as they are, one folder.
bool WriteFiles(const std::string &dir, const std::vector<CorpusFile> &files);
