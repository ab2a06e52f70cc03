// The simulator on its real pipe, fed random and truncated messages: it refuses
// each one that carries a sequence number with a 532-byte answer, ignores the
// shorter ones, and still serves a well-formed session afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "CplPipeClient.h"
#include "Frames.h"
#include "PipeName.h"
#include "RawPipeClient.h"
#include "RequestResults.h"
#include "RequestHandler.h"
#include "SimServer.h"

namespace kestrel::sim {
namespace {

using namespace kestrel::test;

constexpr int kMessages = 300;
constexpr size_t kSpecialLengths[] = {0,   1, 3, 4, kRequestFrameSize - 1, kRequestFrameSize + 1,
                                      5000};

bool ConnectionEnded(DWORD error) {
    return error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED ||
           error == ERROR_NO_DATA;
}

// Special lengths, whole frames with random contents (codes valid or not) and
// random lengths up to twice a frame. The first four bytes carry the message's
// index as sequence number, so an answer is matched to its message.
std::vector<uint8_t> RandomMessage(std::mt19937& random, uint32_t index) {
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> byte(0, 255);
    size_t length = 0;
    const int k = kind(random);
    if (k < 2) {
        length = kSpecialLengths[random() % std::size(kSpecialLengths)];
    } else if (k < 6) {
        length = kRequestFrameSize;
    } else {
        length = random() % (2 * kRequestFrameSize);
    }
    std::vector<uint8_t> message(length);
    for (uint8_t& b : message) b = static_cast<uint8_t>(byte(random));
    if (length >= kMinAnswerableRequest) U32(message.data(), 0, index);
    // Half of the whole frames name a request the service knows, or one just past them.
    if (length == kRequestFrameSize && k < 4)
        U32(message.data(), 4, static_cast<uint32_t>(random() % (kRequestCodeCount + 2)));
    return message;
}

TEST(SimServerRandomMessages, RefusesThemAndKeepsServing) {
    const std::wstring name = UniquePipeName();
    SimServer server(name, SimServerOptions{2, 0, {}});
    ASSERT_TRUE(server.Execute("port COM3 label=Lab3 status=0 traffic=off"));
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;

    RawPipeClient client;
    ASSERT_TRUE(client.Connect(server.PipePath()));
    std::mt19937 random(20261208);
    int answered = 0, reconnects = 0;
    for (uint32_t i = 0; i < kMessages; ++i) {
        const std::vector<uint8_t> message = RandomMessage(random, i);
        SCOPED_TRACE("message " + std::to_string(i) + " of " + std::to_string(message.size()) +
                     " bytes");
        DWORD result = client.Write(message.data(), message.size());
        std::vector<uint8_t> answer;
        // Too short for a sequence number: not answered, which the next answer's
        // sequence number would show.
        if (result == 0 && message.size() >= kMinAnswerableRequest) result = client.Read(&answer);
        if (ConnectionEnded(result)) {
            ++reconnects;
            ASSERT_TRUE(client.Connect(server.PipePath()));
            continue;
        }
        ASSERT_EQ(result, 0u);
        if (message.size() < kMinAnswerableRequest) continue;
        ++answered;
        ASSERT_EQ(answer.size(), kResponseFrameSize);
        EXPECT_EQ(SequenceOf(answer), i);
        if (message.size() != kRequestFrameSize) {
            EXPECT_EQ(StatusOf(answer), kRefuseMalformed);
        }
    }
    EXPECT_GT(answered, kMessages / 2);
    EXPECT_EQ(reconnects, 0);

    CplPipeClient panel(name.c_str());
    ASSERT_EQ(panel.ConnectService(1000), kDone);
    uint32_t stamp = 0, count = 0;
    ASSERT_EQ(panel.GetPortListInfo(&stamp, &count), kDone);
    EXPECT_EQ(count, 1u);
    std::wstring port;
    ASSERT_EQ(panel.GetPortName(stamp, 0, port), kDone);
    EXPECT_EQ(port, L"COM3");
    EXPECT_EQ(server.TotalRequests(), static_cast<uint64_t>(kMessages) + 3);
}

}  // namespace
}  // namespace kestrel::sim
