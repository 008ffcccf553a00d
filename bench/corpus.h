// The benchmark corpus: real files of the kinds a Windows application ships,
// by class, and two generated ones.
#pragma once
#include <string>
#include <vector>

struct CorpusFile {
    std::string klass; // "PE", "text", "HTML", "records" or "generated"
    std::string name;
    std::string origin; // path, or how it was generated
    std::vector<unsigned char> data;
};

// The classes in the order they are reported; all but "generated" are real files.
extern const char *const kCorpusClasses[5];

// Reads the system's files (man pages are gunzipped) and generates the rest.
// A file that is missing is left out with a note on stderr, and so is a
// class that ends up empty.
std::vector<CorpusFile> LoadCorpus();
