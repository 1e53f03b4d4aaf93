// Reads arbitrary bytes as a media file with a metadata trailer (files travel between
// stations, so their trailers are outside input) and decodes arbitrary BMP images.
// Every length in them is checked against the data: nothing may crash or over-allocate,
// and whatever is read back must survive being written again.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "files/bitmap.h"
#include "files/media_metadata.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    if (auto picture = ferrolin::DecodeBmp(bytes)) {
        if (picture->Pixels.size() != static_cast<size_t>(picture->Width) * picture->Height * 3) {
            std::abort();
        }
        if (ferrolin::DecodeBmp(ferrolin::EncodeBmp(*picture)) != picture) std::abort();
    }

    const int fd = memfd_create("trailer", 0);
    if (fd < 0) return 0;
    if (write(fd, data, size) == static_cast<ssize_t>(size)) {
        const std::string path = "/proc/self/fd/" + std::to_string(fd);
        ferrolin::MediaMetadata meta;
        const int result = ferrolin::ReadMetadata(path, meta);
        if (result == ferrolin::mrTrailer) {
            if (meta.MediaLength < 0 || meta.MediaLength > static_cast<int64_t>(size)) std::abort();
            if (meta.Parameters && meta.Parameters->size() > size) std::abort();
        }
    }
    close(fd);
    return 0;
}
