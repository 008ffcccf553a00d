// The benchmark corpus: files of the kind a Windows application ships.
#pragma once
#include <string>
#include <vector>

struct CorpusFile {
    std::string name;
    std::string origin;
    std::vector<unsigned char> data;
};

// Reads the system's files and generates the rest; files that are missing
// are left out with a note on stderr.
std::vector<CorpusFile> LoadCorpus();
