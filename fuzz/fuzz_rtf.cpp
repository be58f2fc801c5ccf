// The notepad's RTF reader: any bytes, as a file of unknown origin.
#include <cstddef>
#include <cstdint>

#include "notepad/RtfReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    IsRtf(bytes);
    ReadRtf(bytes);
    return 0;
}
