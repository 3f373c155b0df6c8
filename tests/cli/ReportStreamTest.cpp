#include "cli/ReportStream.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "common/TestFiles.h"
#include "report/OutputFileSeam.h"

// A block that cannot be written fails the output for good, to a descriptor or to the temporary file of
// -o: the blocks after it are not written (the report would have a hole), and the first reason stays.
TEST(ReportStream, TheFirstFailedBlockEndsTheOutput) {
    TempDir dir;
    struct Restore {
        OutputSystemCalls Saved = OutputSystemCallsForTests();
        ~Restore() { OutputSystemCallsForTests() = Saved; }
    } const restore;
    static int writes = 0;
    for (const bool toDescriptor : {true, false}) {
        SCOPED_TRACE(toDescriptor ? "descriptor" : "temporary file");
        const int fd = ::open((dir.Path() / "out").c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        {
            ReportOutput output = toDescriptor ? ReportOutput(fd) : ReportOutput(nullptr);
            writes = 0;
            OutputSystemCallsForTests().Write = [](int descriptor, const void* bytes,
                                                   size_t count) -> ssize_t {
                if (writes++ == 0)
                    return errno = ENOSPC, -1;
                return ::write(descriptor, bytes, count);
            };
            output.Write("first");
            output.Write("second");
            OutputSystemCallsForTests() = restore.Saved;
            EXPECT_TRUE(output.Failed());
            EXPECT_EQ(output.Reason(), "no space left on the device");
            EXPECT_EQ(writes, 1);
        }
        EXPECT_EQ(::lseek(fd, 0, SEEK_END), 0);
        ::close(fd);
    }
}
