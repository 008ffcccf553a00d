// Finds a resource in a PE file (a built setup.exe) by walking its resource
// directory. Every offset is checked against the file's size.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>

// True when data looks like a PE file (MZ header pointing at "PE\0\0").
bool PeIsImage(const unsigned char *data, size_t size);

// Finds the first language of resource (type name, integer id). True with
// *offset and *length giving the resource's bytes within data; false when
// the file is not a PE image, has no such resource, or any structure on
// the way is out of bounds.
bool PeFindResource(const unsigned char *data, size_t size, const char *type, uint32_t id,
                    size_t *offset, uint32_t *length);

// True when every section's raw data of the PE image `head` (its first
// bytes, at least the section table) lies within file_size. *why says
// which not.
bool PeSectionsFit(const unsigned char *head, size_t head_size, uint64_t file_size,
                   std::string *why);
