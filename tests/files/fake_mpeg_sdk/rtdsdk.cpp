// A stand-in for the vendor's MPEG SDK: it "reads" a clip's time codes from a text file
// holding "FAKEMPEG hh:mm:ss:ff hh:mm:ss:ff" (start and end) and fills an information
// block laid out as the real SDK's: a non-zero flag at offset 4, and at offset 12 a
// pointer to a stream description with the start time code at 108 and the end at 122.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

struct Block {
    unsigned char header[64];
    unsigned char stream[256];
};

int g_outstanding = 0;

void Put16(unsigned char* at, unsigned v) {
    const uint16_t x = static_cast<uint16_t>(v);
    std::memcpy(at, &x, 2);
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int rtdInitSystem() { return 0; }

__attribute__((visibility("default"))) uint16_t rtdFileInfo(const char* path, void** info) {
    *info = nullptr;
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return 2;
    unsigned t[8];
    const int n = std::fscanf(f, "FAKEMPEG %u:%u:%u:%u %u:%u:%u:%u", &t[0], &t[1], &t[2], &t[3],
                              &t[4], &t[5], &t[6], &t[7]);
    std::fclose(f);
    auto* block = new (std::nothrow) Block{};
    if (block == nullptr) return 3;
    ++g_outstanding;
    *info = block;
    if (n != 8) return 1;  // a block is handed out even on failure; the caller frees it
    Put16(block->header + 4, 1);
    unsigned char* stream = block->stream;
    std::memcpy(block->header + 12, &stream, sizeof stream);
    for (int i = 0; i < 4; ++i) {
        Put16(stream + 108 + 2 * i, t[i]);
        Put16(stream + 122 + 2 * i, t[4 + i]);
    }
    return 0;
}

__attribute__((visibility("default"))) void rtdFreeInfoBuf(void* info) {
    if (info == nullptr) return;
    --g_outstanding;
    delete static_cast<Block*>(info);
}

// For the tests: blocks handed out and not yet freed.
__attribute__((visibility("default"))) int rtdFakeOutstanding() { return g_outstanding; }
}
