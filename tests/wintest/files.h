// Whole files read and written in one call, for tests that set up or check
// what a program reads or leaves on disk.
#pragma once
#include <string>

// False when the file cannot be opened; `bytes` then empty.
bool ReadBytes(const std::string &path, std::string *bytes);
// The file's bytes, empty when it cannot be opened (`ok` says which).
std::string ReadBytes(const std::string &path, bool *ok = nullptr);
// Writes `bytes` as the whole file; false when any of it is not written.
bool WriteBytes(const std::string &path, const std::string &bytes);
