// Temporary packer: literals only (binary mode, 4 KB dictionary).
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <vector>
#include <string>

static uint32_t crc_of(const std::vector<unsigned char> &d)
{
    uint32_t c = 0xFFFFFFFF;
    for (unsigned char b : d) {
        c ^= b;
        for (int k = 0; k < 8; k++) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

struct Bits { std::vector<unsigned char> out; uint32_t acc = 0; int n = 0;
    void put(uint32_t v, int bits) { acc |= v << n; n += bits; while (n >= 8) { out.push_back(acc & 0xFF); acc >>= 8; n -= 8; } }
    void flush() { if (n) out.push_back(acc & 0xFF); acc = 0; n = 0; } };

int main(int argc, char **argv)
{
    if (argc < 3 || strcmp(argv[1], "pack")) { fprintf(stderr, "usage: mcftool pack OUT FILE...\n"); return 2; }
    FILE *o = fopen(argv[2], "wb");
    if (!o) return 1;
    fwrite("MCFX", 1, 4, o);
    for (int i = 3; i < argc; i++) {
        FILE *f = fopen(argv[i], "rb");
        if (!f) return 1;
        std::vector<unsigned char> d; int c;
        while ((c = fgetc(f)) != EOF) d.push_back((unsigned char)c);
        fclose(f);
        Bits b; b.out.push_back(0); b.out.push_back(6);
        for (unsigned char x : d) { b.put(0, 1); b.put(x, 8); }
        b.put(1, 1); b.put(0, 7); b.put(0xFF, 8); b.flush();
        std::string name = argv[i]; size_t s = name.find_last_of('/'); if (s != std::string::npos) name = name.substr(s + 1);
        unsigned char hdr[268] = {0};
        uint32_t len = d.empty() ? 0 : (uint32_t)b.out.size(), crc = crc_of(d);
        memcpy(hdr, &len, 4); memcpy(hdr + 4, &crc, 4); strncpy((char *)hdr + 8, name.c_str(), 259);
        fwrite(hdr, 1, 268, o);
        if (len) fwrite(b.out.data(), 1, len, o);
    }
    return fclose(o) ? 1 : 0;
}
