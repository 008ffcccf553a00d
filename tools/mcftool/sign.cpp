// Signing a built setup.exe and the uninstaller inside it (sign.h).
#include "sign.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "container.h"
#include "le.h"
#include "mcfstream.h"
#include "packer.h"
#include "pehead.h"
#include "peres.h"
#include "peres_write.h"

namespace {

const size_t kHeadSize = 1 << 16; // the PE headers of our programs lie well within

uint64_t AlignUp8(uint64_t v)
{
    return (v + 7) & ~(uint64_t)7;
}

// The file offsets of the two header fields that signing changes, and
// where the security entry points.
struct SignFields {
    size_t checksum;
    size_t security; // the security data directory entry: offset, size
};

bool FindSignFields(const unsigned char *head, size_t size, SignFields *f)
{
    PeHeaders h;
    if (PeReadHeaders(head, size, &h) != PE_IMAGE || !h.checksum_fits || !h.has_dirs ||
        h.dir_count <= kPeDirSecurity || !PeFits(size, h.dirs + kPeDirSecurity * 8, 8))
        return false;
    f->checksum = h.checksum;
    f->security = h.dirs + kPeDirSecurity * 8;
    return true;
}

bool ReadAt(int fd, uint64_t at, unsigned char *buffer, size_t n)
{
    size_t done = 0;
    while (done < n) {
        ssize_t got = pread(fd, buffer + done, n - done, (off_t)(at + done));
        if (got <= 0)
            return false;
        done += (size_t)got;
    }
    return true;
}

// Whether the file at signed_fd is the one at plain_fd with a signature
// added (sign.h, SignCopy); *why says what else changed.
bool OnlySignatureAdded(int plain_fd, int signed_fd, std::string *why)
{
    struct stat ps, ss;
    if (fstat(plain_fd, &ps) != 0 || fstat(signed_fd, &ss) != 0) {
        *why = ReadFailure();
        return false;
    }
    uint64_t plain_size = (uint64_t)ps.st_size, signed_size = (uint64_t)ss.st_size;
    std::vector<unsigned char> a(kHeadSize), b(kHeadSize);
    size_t head = plain_size < kHeadSize ? (size_t)plain_size : kHeadSize;
    SignFields f;
    if (signed_size < plain_size || !ReadAt(signed_fd, 0, b.data(), head) ||
        !FindSignFields(b.data(), head, &f)) {
        *why = "it is no longer a PE file of at least its former size";
        return false;
    }
    uint32_t cert_at = GetLe32(&b[f.security]), cert_size = GetLe32(&b[f.security + 4]);
    if (cert_size == 0) {
        *why = "it carries no signature (empty security directory)";
        return false;
    }
    if (cert_at < plain_size || cert_at - plain_size > 7 ||
        (uint64_t)cert_at + cert_size > signed_size ||
        signed_size > AlignUp8((uint64_t)cert_at + cert_size)) {
        *why = "its signature is not appended to the file as it was";
        return false;
    }
    // The file as it was, but for the checksum and the security entry.
    for (uint64_t at = 0; at < plain_size; at += kHeadSize) {
        size_t n = plain_size - at < kHeadSize ? (size_t)(plain_size - at) : kHeadSize;
        if (!ReadAt(plain_fd, at, a.data(), n) || !ReadAt(signed_fd, at, b.data(), n)) {
            *why = ReadFailure();
            return false;
        }
        for (size_t i = 0; i < n; i++) {
            uint64_t o = at + i;
            bool field =
                (o >= f.checksum && o < f.checksum + 4) || (o >= f.security && o < f.security + 8);
            if (!field && a[i] != b[i]) {
                *why = "byte " + std::to_string(o) + " changed";
                return false;
            }
        }
    }
    // Padding before the certificate table: zeros.
    unsigned char pad[8] = {0};
    size_t pad_size = (size_t)(cert_at - plain_size);
    if (!ReadAt(signed_fd, plain_size, pad, pad_size)) {
        *why = ReadFailure();
        return false;
    }
    for (size_t i = 0; i < pad_size; i++)
        if (pad[i] != 0) {
            *why = "data was added before its signature";
            return false;
        }
    return true;
}

bool CopyFileInto(const std::string &from_path, FILE *to, std::string *why)
{
    FILE *from = fopen(from_path.c_str(), "rb");
    if (!from) {
        *why = ReadFailure();
        return false;
    }
    std::vector<unsigned char> buffer(kHeadSize);
    size_t n;
    bool ok = true;
    while (ok && (n = fread(buffer.data(), 1, buffer.size(), from)) > 0)
        ok = fwrite(buffer.data(), 1, n, to) == n;
    if (!ok || ferror(from))
        *why = ok ? ReadFailure() : WriteFailure();
    else if (fflush(to) != 0) {
        ok = false;
        *why = WriteFailure();
    }
    ok = ok && !ferror(from);
    fclose(from);
    return ok;
}

// The one file of the uninstaller's container, decoded and checked.
bool DecodeSingleFile(const unsigned char *data, uint32_t size, McfRecord *record, Bytes *file,
                      std::string *why)
{
    if (size < 4 || memcmp(data, MCF_MAGIC, 4) != 0) {
        *why = "not a container";
        return false;
    }
    MemorySource src(data + 4, size - 4);
    unsigned records = 0;
    std::string problem;
    RecordVisitor visit;
    visit.begin = [&](const McfRecord &) {
        file->clear();
        return [&](const unsigned char *p, size_t n) { file->insert(file->end(), p, p + n); };
    };
    visit.done = [&](const RecordResult &r) {
        records++;
        *record = r.record;
        problem = r.problem;
        return problem.empty();
    };
    std::string damage;
    if (!WalkRecordStream(src, size - 4, visit, &damage)) {
        *why = damage;
        return false;
    }
    if (!problem.empty() || records != 1) {
        *why =
            problem.empty() ? "it holds " + std::to_string(records) + " files, not one" : problem;
        return false;
    }
    return true;
}

} // namespace

bool RunSignCommand(const std::string &command, const std::string &file, std::string *why)
{
    fflush(stdout);
    fflush(stderr);
    pid_t child = fork();
    if (child < 0) {
        *why = std::string("cannot start /bin/sh: ") + strerror(errno);
        return false;
    }
    if (child == 0) {
        dup2(2, 1);
        execl("/bin/sh", "sh", "-c", command.c_str(), "sh", file.c_str(), (char *)nullptr);
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            *why = std::string("cannot wait for the signing command: ") + strerror(errno);
            return false;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    *why = WIFEXITED(status)
               ? "the signing command exited with status " + std::to_string(WEXITSTATUS(status))
               : "the signing command was ended by signal " +
                     std::to_string(WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    return false;
}

bool SignCopy(const std::string &command, const std::string &from_path, const std::string &label,
              SafeOutputFile *to, std::string *why)
{
    std::string problem;
    if (!CopyFileInto(from_path, to->file(), &problem)) {
        *why = label + ": " + problem;
        return false;
    }
    if (!RunSignCommand(command, to->temp_path(), &problem)) {
        *why = label + ": not signed: " + problem;
        return false;
    }
    if (!to->Reopen(why))
        return false;
    int plain = open(from_path.c_str(), O_RDONLY);
    bool ok = plain >= 0 && OnlySignatureAdded(plain, fileno(to->file()), &problem);
    if (plain < 0)
        problem = ReadFailure();
    if (plain >= 0)
        close(plain);
    if (!ok)
        *why = label + ": the signing command changed more than the signature: " + problem;
    return ok;
}

bool PeDropSignature(Bytes *image, std::string *why)
{
    SignFields f;
    if (!FindSignFields(image->data(), image->size(), &f)) {
        *why = "not a PE file";
        return false;
    }
    uint32_t cert_at = GetLe32(&(*image)[f.security]);
    uint32_t cert_size = GetLe32(&(*image)[f.security + 4]);
    if (cert_size == 0)
        return true;
    if (!PeFits(image->size(), cert_at, cert_size) ||
        AlignUp8((uint64_t)cert_at + cert_size) < image->size() || cert_at < f.security + 8) {
        *why = "its signature does not end the file";
        return false;
    }
    image->resize(cert_at);
    PutLe32(&(*image)[f.security], 0);
    PutLe32(&(*image)[f.security + 4], 0);
    PutLe32(&(*image)[f.checksum], PeComputeChecksum(image->data(), image->size(), f.checksum));
    return true;
}

bool SignStubUninstaller(const Bytes &stub, const std::string &command, const std::string &out_path,
                         Bytes *signed_stub, std::vector<std::string> *notes, std::string *why)
{
    const std::string label =
        "the uninstaller (CMPFILE resource " + std::to_string(IDR_UNINSTALL) + " of the stub)";
    size_t at;
    uint32_t length;
    if (!PeFindResource(stub.data(), stub.size(), kPayloadType, IDR_UNINSTALL, &at, &length)) {
        *why = label + ": not found; nothing to sign";
        return false;
    }
    McfRecord record;
    Bytes file;
    std::string problem;
    if (!DecodeSingleFile(&stub[at], length, &record, &file, &problem) ||
        !PeDropSignature(&file, &problem)) {
        *why = label + ": " + problem;
        return false;
    }
    // Beside OUT, removed whatever happens: the file as it was, then the
    // signed copy.
    SafeOutputFile plain, signed_file;
    if (!plain.Open(out_path, true, why) || !plain.Write(file.data(), file.size(), why) ||
        !plain.Reopen(why) || !signed_file.Open(out_path, true, why) ||
        !SignCopy(command, plain.temp_path(), label, &signed_file, why))
        return false;
    struct stat st;
    if (fflush(signed_file.file()) != 0 || fstat(fileno(signed_file.file()), &st) != 0) {
        *why = label + ": " + WriteFailure();
        return false;
    }
    std::vector<InputFile> files(1);
    files[0].path = signed_file.temp_path();
    files[0].name = files[0].ansi_name = record.file_name;
    files[0].size = (uint64_t)st.st_size;
    Bytes container;
    if (!WriteContainer(
            files, false,
            [&](const unsigned char *p, size_t n) {
                container.insert(container.end(), p, p + n);
                return true;
            },
            &problem)) {
        *why = label + ": " + problem;
        return false;
    }
    PeResourceWrite written;
    if (!PeWriteResource(stub, kPayloadType, IDR_UNINSTALL, container, &written, why))
        return false;
    *signed_stub = std::move(written.image);
    *notes = written.notes;
    return true;
}
