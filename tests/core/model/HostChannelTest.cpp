// The conversation with a model host over a real socket pair: a run and its descriptors arrive
// whole, a message that is not a whole run is refused with its descriptors closed, the end of a
// run carries its wait status, and either side learns when the other is gone.

#include "model/HostChannel.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace kvaril {
namespace {

struct TPipe {
    int Read = -1, Write = -1;
    TPipe() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
            Read = fds[0];
            Write = fds[1];
        }
    }
    ~TPipe() {
        for (int fd : {Read, Write})
            if (fd >= 0) ::close(fd);
    }
    // What a reader sees now: the bytes written, "" at the end (every write end closed),
    // or "open" while a writer is still there and nothing is written.
    std::string Drain() const {
        char buffer[64];
        const ssize_t n = ::read(Read, buffer, sizeof buffer);
        if (n < 0) return errno == EAGAIN ? "open" : "error";
        return std::string(buffer, static_cast<size_t>(n));
    }
};

class HostChannel : public ::testing::Test {
  protected:
    void SetUp() override { sockets_ = HostSocketPair(); }
    void TearDown() override {
        for (int fd : sockets_)
            if (fd >= 0) ::close(fd);
    }
    void CloseHostSide() {
        ::close(sockets_[1]);
        sockets_[1] = -1;
    }
    std::array<int, 2> sockets_{-1, -1};
};

TEST_F(HostChannel, ARunArrivesWholeWithDescriptorsOfItsOwn) {
    THostRun run;
    run.SignalCount = 3;
    run.SampleCount = 10000;
    run.MemoryLimitBytes = 1ull << 31;
    run.FileLimitBytes = 256ull << 20;
    ASSERT_TRUE(SetPath(run.Library, "/tmp/Bin/kvml.so"));
    ASSERT_TRUE(SetPath(run.Folder, "/tmp/Bin/sweep/2/"));
    TPipe report, output, rows;
    ASSERT_TRUE(SendRun(sockets_[0], run, {report.Write, output.Write, rows.Write}));

    THostRunFds fds;
    const std::optional<THostRun> got = ReceiveRun(sockets_[1], fds);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->SignalCount, 3);
    EXPECT_EQ(got->SampleCount, 10000);
    EXPECT_EQ(got->MemoryLimitBytes, 1ull << 31);
    EXPECT_EQ(got->FileLimitBytes, 256ull << 20);
    EXPECT_STREQ(got->Library.data(), "/tmp/Bin/kvml.so");
    EXPECT_STREQ(got->Folder.data(), "/tmp/Bin/sweep/2/");
    // Descriptors of the receiver's own, onto the same pipes, closed across exec.
    const TPipe* pipes[] = {&report, &output, &rows};
    const int received[] = {fds.ReportFd, fds.OutputFd, fds.RowsFd};
    for (int i = 0; i < 3; ++i) {
        ASSERT_GE(received[i], 0);
        EXPECT_NE(received[i], pipes[i]->Write);
        EXPECT_TRUE(::fcntl(received[i], F_GETFD) & FD_CLOEXEC);
        const std::string text = "run " + std::to_string(i);
        ASSERT_EQ(::write(received[i], text.data(), text.size()), ssize_t(text.size()));
        EXPECT_EQ(pipes[i]->Drain(), text);
        ::close(received[i]);
    }
}

TEST_F(HostChannel, AStoreWithoutRowsPassesTwoDescriptors) {
    THostRun run;
    TPipe report, output;
    ASSERT_TRUE(SendRun(sockets_[0], run, {report.Write, output.Write, -1}));
    THostRunFds fds;
    ASSERT_TRUE(ReceiveRun(sockets_[1], fds));
    EXPECT_GE(fds.ReportFd, 0);
    EXPECT_GE(fds.OutputFd, 0);
    EXPECT_EQ(fds.RowsFd, -1);
    ::close(fds.ReportFd);
    ::close(fds.OutputFd);
}

// A packet that is not a whole run (a short one, or one without its descriptors) is refused,
// and the descriptors that came with it are closed rather than left open in the host.
TEST_F(HostChannel, APartOfARunIsRefusedAndItsDescriptorsClosed) {
    TPipe output;
    {
        char bytes[16] = {};
        iovec data{bytes, sizeof bytes};
        int passed[2] = {output.Write, output.Write};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof passed)] = {};
        msghdr message{};
        message.msg_iov = &data;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof passed);
        std::memcpy(CMSG_DATA(header), passed, sizeof passed);
        ASSERT_EQ(::sendmsg(sockets_[0], &message, 0), ssize_t(sizeof bytes));
    }
    THostRunFds fds;
    EXPECT_FALSE(ReceiveRun(sockets_[1], fds));
    EXPECT_EQ(fds.ReportFd, -1);
    ::close(output.Write);
    output.Write = -1;
    EXPECT_EQ(output.Drain(), "") << "the refused message's descriptors still hold the pipe open";

    // A whole run without descriptors: refused too.
    THostRun run;
    ASSERT_EQ(::send(sockets_[0], &run, sizeof run, 0), ssize_t(sizeof run));
    EXPECT_FALSE(ReceiveRun(sockets_[1], fds));
}

// The host uses the paths as C strings: a path without its end is no path.
TEST_F(HostChannel, APathWithoutItsEndIsRefused) {
    THostRun run;
    run.Folder.fill('a');
    TPipe report, output;
    ASSERT_TRUE(SendRun(sockets_[0], run, {report.Write, output.Write, -1}));
    THostRunFds fds;
    EXPECT_FALSE(ReceiveRun(sockets_[1], fds));
    ::close(report.Write);
    report.Write = -1;
    EXPECT_EQ(report.Drain(), "");
}

TEST_F(HostChannel, TheEndOfARunCarriesItsWaitStatusAndAGoneSideIsNoticed) {
    ASSERT_TRUE(SendRunEnd(sockets_[1], 0x8b));  // killed by SIGSEGV with a core
    EXPECT_EQ(ReceiveRunEnd(sockets_[0]), 0x8b);
    ASSERT_TRUE(SendRunEnd(sockets_[1], 3 << 8));
    EXPECT_EQ(ReceiveRunEnd(sockets_[0]), 3 << 8);

    CloseHostSide();
    EXPECT_FALSE(ReceiveRunEnd(sockets_[0])) << "the host is gone";
    TPipe report, output;
    EXPECT_FALSE(SendRun(sockets_[0], THostRun{}, {report.Write, output.Write, -1}));
}

TEST_F(HostChannel, TheWorkbenchLeavingEndsTheConversation) {
    ::close(sockets_[0]);
    sockets_[0] = -1;
    THostRunFds fds;
    EXPECT_FALSE(ReceiveRun(sockets_[1], fds));
    EXPECT_FALSE(SendRunEnd(sockets_[1], 0));
}

TEST(HostPath, FitsWithItsEndOrIsRefused) {
    std::array<char, 4096> field{};
    field.fill('x');
    EXPECT_TRUE(SetPath(field, std::string(4095, 'p')));
    EXPECT_EQ(field[4095], '\0');
    EXPECT_EQ(std::strlen(field.data()), 4095u);
    EXPECT_TRUE(SetPath(field, "/short"));
    EXPECT_STREQ(field.data(), "/short");
    EXPECT_EQ(field[100], '\0') << "the rest of a longer path before it is cleared";
    EXPECT_FALSE(SetPath(field, std::string(4096, 'p')));
    EXPECT_FALSE(SetPath(field, std::string("/a\0b", 4)));
    EXPECT_STREQ(field.data(), "/short") << "a refused path leaves the field";
}

}  // namespace
}  // namespace kvaril
