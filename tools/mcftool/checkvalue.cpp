#include "checkvalue.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "crc32.h"
#include "le.h"
#include "mcfformat.h"
#include "message.h"
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
    PutLe32(out, (uint32_t)length);
    PutLe32(out + 4, ~crc);
    return true;
}

namespace {

// The CRC of `length` bytes at `offset` of fd, read in pieces.
bool CrcOfRange(int fd, uint64_t offset, uint32_t length, uint32_t *crc)
{
    CheckValueSum sum;
    std::vector<unsigned char> buffer(1 << 16);
    while (sum.length < length) {
        size_t want =
            length - sum.length < buffer.size() ? (size_t)(length - sum.length) : buffer.size();
        ssize_t got = pread(fd, buffer.data(), want, (off_t)(offset + sum.length));
        if (got <= 0)
            return false;
        sum.Add(buffer.data(), (size_t)got);
    }
    *crc = ~sum.crc;
    return true;
}

} // namespace

bool ReadCheckValue(const char *path, CheckValueFound *found, std::string *why)
{
    *found = CheckValueFound();
    int fd = open(path, O_RDONLY);
    if (fd < 0) {
        *why = CannotRead(path);
        return false;
    }
    struct stat st;
    void *map = MAP_FAILED;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        map = mmap(NULL, (size_t)st.st_size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED) {
        close(fd);
        return true; // not a file with a resource tree: nothing to say
    }
    // Only the headers and the resource tree are read through the mapping.
    const unsigned char *data = (const unsigned char *)map;
    size_t size = (size_t)st.st_size;
    size_t check_at = 0, payload_at = 0;
    uint32_t check_length = 0, payload_length = 0;
    bool ok = true;
    if (PeIsImage(data, size) &&
        PeFindResource(data, size, kPayloadType, kCheckValueId, &check_at, &check_length) &&
        PeFindResource(data, size, kPayloadType, kPayloadId, &payload_at, &payload_length)) {
        uint32_t crc = 0, second_crc = 0;
        // A second pair covers the uninstaller's container (container.h).
        size_t second_at = 0;
        uint32_t second_length = 0;
        found->uninstaller = check_length >= MCF_CHECK_BOTH_SIZE;
        bool second = !found->uninstaller;
        if (found->uninstaller &&
            PeFindResource(data, size, kPayloadType, IDR_UNINSTALL, &second_at, &second_length)) {
            if (!CrcOfRange(fd, second_at, second_length, &second_crc))
                ok = false;
            second = GetLe32(data + check_at + 8) == second_length &&
                     GetLe32(data + check_at + 12) == second_crc;
        }
        if (!ok || !CrcOfRange(fd, payload_at, payload_length, &crc)) {
            *why = CannotRead(path);
            ok = false;
        } else if (check_length < MCF_CHECK_SIZE) {
            found->state = CheckValueState::Damaged;
        } else {
            found->length = GetLe32(data + check_at);
            found->crc = GetLe32(data + check_at + 4);
            found->state = found->length == payload_length && found->crc == crc && second
                               ? CheckValueState::Matches
                               : CheckValueState::Mismatch;
        }
    } else if (PeIsImage(data, size)) {
        found->state = CheckValueState::Absent;
    }
    munmap(map, size);
    close(fd);
    return ok;
}
