// CRC-32 of ISO-HDLC and ZIP (reflected, polynomial 0xEDB88320), with which
// every expanded payload file is checked.
#pragma once
#include <stdint.h>

// Runs the CRC over *length bytes from the running value *crc and returns
// the new value; neither argument is written. Start from 0xFFFFFFFF and
// take the one's complement of the final value.
uint32_t UpdateCrc32(const char *buffer, const uint32_t *length, const uint32_t *crc);
