#pragma once

#include "tests/unit/FlvBytes.h"

namespace zepo::stream {

// Two seconds of H.263 at 10 fps with a keyframe each second, MP3 interleaved (each sound
// tag 26 ms after its picture), and a script tag stamped later than everything (it does
// not extend the timeline).
inline test::FlvBytes twoSecondClip()
{
    using test::operator+;
    test::FlvBytes f;
    f.tag(18, 0, test::amf::string("onMetaData") + test::amf::ecma({}, 0));
    for (int i = 0; i < 20; ++i) {
        f.tag(9, std::uint32_t(i * 100), test::h263Frame(i % 10 == 0));
        f.tag(8, std::uint32_t(i * 100 + 26), test::mp3Audio());
    }
    f.tag(18, 5000, test::amf::string("onLastSecond"));
    return f;
}

} // namespace zepo::stream
