// Bytes in memory, as mcftool and the tests hold files and streams.
#pragma once
#include <vector>

typedef std::vector<unsigned char> Bytes;
