#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "device/rx_queue.h"

namespace tovan {
namespace {

using std::chrono::milliseconds;

class Rx_Queue_Test : public ::testing::Test {
protected:
    void Push(std::vector<uint8_t> bytes) { q.Push(bytes.data(), bytes.size(), q.Epoch()); }
    std::vector<uint8_t> Read(uint32_t count, Ft_Status expected = Ft_Ok,
                              milliseconds timeout = milliseconds(1)) {
        std::vector<uint8_t> out(count);
        uint32_t got = 0;
        EXPECT_EQ(q.Read(out.data(), count, &got, timeout), expected);
        out.resize(got);
        return out;
    }
    uint32_t Queued() {
        uint32_t n = 0;
        EXPECT_EQ(q.Queued(&n), Ft_Ok);
        return n;
    }

    Rx_Queue q{8};
};

TEST_F(Rx_Queue_Test, BytesComeOutInOrderAcrossTheWrap) {
    Push({1, 2, 3, 4, 5, 6});
    EXPECT_EQ(Read(4), (std::vector<uint8_t>{1, 2, 3, 4}));
    Push({7, 8, 9, 10, 11});
    EXPECT_EQ(Queued(), 7u);
    EXPECT_EQ(Read(7), (std::vector<uint8_t>{5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(Queued(), 0u);
}

TEST_F(Rx_Queue_Test, OverflowDropsTheNewestAndCountsThem) {
    Push({1, 2, 3, 4, 5, 6});
    Push({7, 8, 9, 10});
    EXPECT_EQ(Queued(), 8u);
    EXPECT_EQ(q.Dropped(), 2u);
    EXPECT_EQ(Read(8), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(Rx_Queue_Test, TimeOutGivesWhatIsThere) {
    Push({1, 2});
    EXPECT_EQ(Read(5), (std::vector<uint8_t>{1, 2}));
    EXPECT_EQ(Read(0), std::vector<uint8_t>{});
}

TEST_F(Rx_Queue_Test, ArrivingBytesWakeAWaitingReadAndSetTheEvent) {
    Manual_Reset_Event ev;
    q.Set_Event(&ev);
    std::thread producer([this] {
        Push({1});
        Push({2, 3});
    });
    // No limit: returns only once all three bytes are there.
    EXPECT_EQ(Read(3, Ft_Ok, milliseconds(0)), (std::vector<uint8_t>{1, 2, 3}));
    producer.join();
    EXPECT_TRUE(ev.Is_Set());
}

TEST_F(Rx_Queue_Test, CloseWakesAWaitingRead) {
    std::thread closer([this] { q.Close(); });
    Read(4, Ft_Invalid_Handle, milliseconds(0));
    closer.join();
    uint32_t n = 7;
    EXPECT_EQ(q.Queued(&n), Ft_Invalid_Handle);
    EXPECT_EQ(n, 0u);
}

TEST_F(Rx_Queue_Test, FailureComesAfterTheQueuedBytes) {
    Push({1, 2});
    q.Fail(Ft_Io_Error);
    uint32_t n = 0;
    EXPECT_EQ(q.Queued(&n), Ft_Io_Error);
    EXPECT_EQ(Read(4, Ft_Io_Error, milliseconds(0)), (std::vector<uint8_t>{1, 2}));
}

TEST_F(Rx_Queue_Test, PurgeDiscardsQueuedAndInFlightBytes) {
    Manual_Reset_Event ev;
    q.Set_Event(&ev);
    Push({1, 2});
    ev.Reset();
    const uint64_t before = q.Epoch();
    q.Clear();
    const std::vector<uint8_t> late{3, 4};
    q.Push(late.data(), late.size(), before);  // a transfer that began before the purge
    EXPECT_EQ(Queued(), 0u);
    EXPECT_FALSE(ev.Is_Set());
    Push({5});
    EXPECT_EQ(Read(1), std::vector<uint8_t>{5});
}

}  // namespace
}  // namespace tovan
