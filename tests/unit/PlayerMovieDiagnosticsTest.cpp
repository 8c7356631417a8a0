#include "movies/FileLoading.h"
#include "tests/support/LogCapture.h"
#include "tests/unit/PlayerMovieFixture.h"

namespace zepo::test {
namespace {

stream::StreamError failure(stream::StreamError::Part part, stream::FlvErrorKind kind, const std::string& detail)
{
    return {kind, detail, part, "/v/a.flv"};
}

// A file that does not open is told once per opening, in the line that gives it up,
// naming the file and the reason, however often the load retry opened it again (a later
// try might have opened it: nothing is told before); a track's failure is told at once.
TEST_F(PlayerMovieTest, StreamErrorsAreToldOncePerOpeningWithTheFilesName)
{
    using Part = stream::StreamError::Part;
    LogCapture log;
    open();
    stream->error(failure(Part::File, stream::FlvErrorKind::Io, "No such file or directory"));
    frames(20);  // the load retry opens it again, and it fails alike
    stream->error(failure(Part::File, stream::FlvErrorKind::Io, "No such file or directory"));
    EXPECT_TRUE(log.lines("zepo.movies").empty());
    EXPECT_EQ(var("file_flag"), "0") << "nothing else changes: the file stays in the loading state";

    stream->error(failure(Part::Sound, stream::FlvErrorKind::Corrupt, "aac decoder refused its configuration"));
    EXPECT_EQ(log.lines("zepo.movies", "/v/a.flv: the sound is damaged: aac decoder").size(), 1u);

    clock.advance(kLoadGiveUpMs);
    const auto told = log.lines("zepo.movies", "/v/a.flv: the file");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].type, QtWarningMsg);
    EXPECT_EQ(told[0].text, "/v/a.flv: the file cannot be read: No such file or directory - going on with the next file");

    open();  // opened anew: told anew
    stream->error(failure(Part::File, stream::FlvErrorKind::Io, "No such file or directory"));
    clock.advance(kLoadGiveUpMs);
    EXPECT_EQ(log.lines("zepo.movies", "the file cannot be read").size(), 2u);
}

} // namespace
} // namespace zepo::test
