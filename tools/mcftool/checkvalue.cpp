#include "checkvalue.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "commands.h"
#include "crc32.h"
#include "peres.h"

void CheckValueSum::Add(const unsigned char *data, size_t size)
{
    length += size;
    while (size > 0) {
        uint32_t n = size > 0x40000000u ? 0x40000000u : (uint32_t)size;
        crc = UpdateCrc32((const char *)data, &n, &crc);
        data += n;
        size -= n;
    }
}

bool CheckValueSum::Value(unsigned char out[MCF_CHECK_SIZE]) const
{
    if (length > 0xFFFFFFFFu)
        return false;
    uint32_t final_crc = ~crc;
    for (int i = 0; i < 4; i++) {
        out[i] = (unsigned char)(length >> (8 * i));
        out[4 + i] = (unsigned char)(final_crc >> (8 * i));
    }
    return true;
}

namespace {

uint32_t Le32(const unsigned char *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

// The CRC of `length` bytes at `offset` of fd, read in pieces (the payload
// need not fit in memory).
bool CrcOfRange(int fd, uint64_t offset, uint32_t length, uint32_t *crc)
{
    CheckValueSum sum;
    std::vector<unsigned char> buffer(1 << 16);
    while (sum.length < length) {
        size_t want = length - sum.length < buffer.size() ? (size_t)(length - sum.length)
                                                          : buffer.size();
        ssize_t got = pread(fd, buffer.data(), want, (off_t)(offset + sum.length));
        if (got <= 0)
            return false;
        sum.Add(buffer.data(), (size_t)got);
    }
    *crc = ~sum.crc;
    return true;
}

} // namespace

int ReportCheckValue(const char *path, bool say)
{
    int fd = open(path, O_RDONLY);
    if (fd < 0)
        return -1;   // the walk before has said what is wrong with it
    struct stat st;
    void *map = MAP_FAILED;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        map = mmap(NULL, (size_t)st.st_size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED) {
        close(fd);
        return -1;
    }
    // Only the headers and the resource tree are read through the mapping.
    const unsigned char *data = (const unsigned char *)map;
    size_t size = (size_t)st.st_size;
    size_t check_at = 0, payload_at = 0;
    uint32_t check_length = 0, payload_length = 0;
    int status = -1;
    if (PeIsImage(data, size) &&
        PeFindResource(data, size, "CMPFILE", kCheckValueId, &check_at, &check_length) &&
        PeFindResource(data, size, "CMPFILE", 121, &payload_at, &payload_length)) {
        uint32_t crc = 0;
        bool read = CrcOfRange(fd, payload_at, payload_length, &crc);
        bool sound = check_length >= MCF_CHECK_SIZE;
        uint32_t want_length = sound ? Le32(data + check_at) : 0;
        uint32_t want_crc = sound ? Le32(data + check_at + 4) : 0;
        if (read && sound && want_length == payload_length && want_crc == crc) {
            if (say)
                printf("%s: check value: %u bytes, CRC-32 %08x: matches\n", path,
                   (unsigned)want_length, (unsigned)want_crc);
        } else {
            status = Fail(std::string(path) + ": the payload does not match its check value" +
                          (sound ? "" : " (the check value is damaged)") +
                          ": setup.exe would refuse to install");
        }
    } else if (say && PeIsImage(data, size)) {
        printf("%s: no check value (built before setup.exe checked itself)\n", path);
    }
    munmap(map, size);
    close(fd);
    return status;
}
