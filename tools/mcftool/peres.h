// Finds a resource in a PE file (a built setup.exe) by walking its resource
// directory. Every offset is checked against the file's size.
#pragma once
#include <stddef.h>
#include <stdint.h>

// 1 when data looks like a PE file (MZ header pointing at "PE\0\0").
int PeIsImage(const unsigned char *data, size_t size);

// Finds the first language of resource (type name, integer id). On success
// *offset and *length give the resource's bytes within data and the result
// is 1; 0 when the file is not a PE image, has no such resource, or any
// structure on the way is out of bounds.
int PeFindResource(const unsigned char *data, size_t size, const char *type, uint32_t id,
                   size_t *offset, uint32_t *length);
