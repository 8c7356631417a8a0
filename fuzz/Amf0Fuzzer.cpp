// libFuzzer target: any bytes as the payload of a script tag, and as the values that
// follow a script tag's name.
#include "stream/Amf0.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zepo::stream::decodeScriptData({data, size});
    // AMF0 string "onMetaData": every input byte then reaches the value decoder.
    static const std::uint8_t kName[] = {0x02, 0x00, 0x0a, 'o', 'n', 'M', 'e', 't', 'a', 'D', 'a', 't', 'a'};
    std::vector<std::uint8_t> named(std::begin(kName), std::end(kName));
    named.insert(named.end(), data, data + size);
    zepo::stream::decodeScriptData(named);
    return 0;
}
