#include "tests/support/LogCapture.h"
#include "tests/unit/PlayerMovieFixture.h"

namespace zepo::test {
namespace {

stream::StreamError failure(stream::StreamError::Part part, stream::FlvErrorKind kind, const std::string& detail)
{
    return {kind, detail, part, "/v/a.flv"};
}

// A file that fails is told once per opening, naming the file and the reason, however
// often the load retry opens it again; a second kind of failure is told too.
TEST_F(PlayerMovieTest, StreamErrorsAreToldOncePerOpeningWithTheFilesName)
{
    using Part = stream::StreamError::Part;
    LogCapture log;
    open();
    stream->error(failure(Part::File, stream::FlvErrorKind::Io, "No such file or directory"));
    frames(20);  // the load retry opens it again, and it fails alike
    stream->error(failure(Part::File, stream::FlvErrorKind::Io, "No such file or directory"));
    const auto told = log.lines("zepo.movies");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].type, QtWarningMsg);
    EXPECT_EQ(told[0].text, "/v/a.flv: the file cannot be read: No such file or directory");

    stream->error(failure(Part::Sound, stream::FlvErrorKind::Corrupt, "aac decoder refused its configuration"));
    EXPECT_EQ(log.lines("zepo.movies", "/v/a.flv: the sound is damaged: aac decoder").size(), 1u);

    open();  // opened anew: told anew
    stream->error(failure(Part::File, stream::FlvErrorKind::Io, "No such file or directory"));
    EXPECT_EQ(log.lines("zepo.movies", "the file cannot be read").size(), 2u);
    EXPECT_EQ(var("file_flag"), "0") << "nothing else changes: the file stays in the loading state";
}

} // namespace
} // namespace zepo::test
