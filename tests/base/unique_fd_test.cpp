// The file-descriptor owner: one close per descriptor, whatever path it takes.
#include <gtest/gtest.h>

#include <fcntl.h>

#include "base/unique_fd.h"

namespace qm {
namespace {

bool IsOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

TEST(UniqueFdTest, ClosesOnceWhereverTheDescriptorGoes) {
    int raw = -1;
    {
        UniqueFd first(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        ASSERT_TRUE(first);
        raw = first.get();
        UniqueFd second(std::move(first));
        EXPECT_FALSE(first);  // NOLINT(bugprone-use-after-move): moved-from owns nothing
        EXPECT_EQ(second.get(), raw);
        UniqueFd third;
        third = std::move(second);
        EXPECT_TRUE(IsOpen(raw));
    }
    EXPECT_FALSE(IsOpen(raw));

    UniqueFd failed(-1);
    EXPECT_FALSE(failed);
    EXPECT_FALSE(failed.close());  // closing nothing succeeds

    UniqueFd kept(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    const int released = kept.release();
    EXPECT_FALSE(kept);
    EXPECT_TRUE(IsOpen(released));
    UniqueFd again(released);
    EXPECT_FALSE(again.close());
    EXPECT_FALSE(IsOpen(released));
}

}  // namespace
}  // namespace qm
