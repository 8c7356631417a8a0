// libFuzzer target: any bytes as the payload of a script tag.
#include "stream/Amf0.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zepo::stream::decodeScriptData({data, size});
    std::size_t consumed = 0;
    bool truncated = false;
    zepo::stream::decodeAmf0Value({data, size}, consumed, truncated);
    return 0;
}
