// The refresh pass against answers the simulator never gives, and the row a
// port record makes.
#include "ServiceMirrorFixture.h"

namespace kestrel::test {

// A service of the test's own making, for answers the simulator never gives:
// one stamp, the names given, every port connected, nothing else set.
class MadeUpService : public PortRequests {
public:
    RequestResult GetPortListInfo(uint32_t* listStamp, uint32_t* count) override {
        *listStamp = stamp;
        *count = static_cast<uint32_t>(names.size());
        return kDone;
    }
    RequestResult GetPortName(uint32_t, uint32_t index, std::wstring& name) override {
        name = names.at(index);
        return kDone;
    }
    RequestResult GetPortDevice(const std::wstring&, std::wstring&, std::wstring&, uint32_t&,
                                uint32_t& status, bool&) override {
        status = kStatusConnected;
        return kDone;
    }
    RequestResult GetPortDmsConfig(const std::wstring&, DmsConfig&) override { return kDone; }
    RequestResult GetPortCounters(const std::wstring&, uint32_t&, uint32_t&, uint32_t&) override {
        return kDone;
    }

    uint32_t stamp = 0;
    std::vector<std::wstring> names;
};

TEST(RefreshPassTest, StampZeroIsEnumeratedLikeAnyOther) {
    MadeUpService service;
    service.names = {L"COM1"};
    RecordingList list;
    PortTable ports;
    std::optional<uint32_t> listStamp;
    EXPECT_EQ(RefreshPass(service, list, ports, listStamp).Run(), kDone);
    EXPECT_EQ(list.Offered(), std::vector<std::wstring>{L"COM1"});
    EXPECT_EQ(listStamp, std::optional<uint32_t>(0));
}

// A name longer than a request carries would reach the port of its first 200
// characters; an empty one names none. Either is malformed: nothing changes.
TEST(RefreshPassTest, NamesARequestCannotCarryEndThePassAsMalformed) {
    MadeUpService service;
    const std::wstring longest(kPortNameChars - 1, L'C');
    service.names = {L"COM1", longest};
    RecordingList list;
    PortTable ports;
    std::optional<uint32_t> listStamp;
    ASSERT_EQ(RefreshPass(service, list, ports, listStamp).Run(), kDone);
    for (const std::wstring& name : {longest + L"2", std::wstring()}) {
        service.names = {L"COM1", name};
        ++service.stamp;
        list.Forget();
        RefreshPass pass(service, list, ports, listStamp);
        EXPECT_EQ(pass.Run(), RequestResult::ClientFailed(kErrorGeneric));
        EXPECT_TRUE(pass.Malformed());
        EXPECT_TRUE(list.updates.empty() && list.deletes.empty());
        EXPECT_EQ(ports.size(), 2u);
        EXPECT_FALSE(listStamp.has_value());

        // The names-only read says so too, and gives no names.
        std::vector<std::wstring> names;
        bool malformed = false;
        EXPECT_EQ(ReadPortNames(service, names, malformed),
                  RequestResult::ClientFailed(kErrorGeneric));
        EXPECT_TRUE(malformed);
        EXPECT_TRUE(names.empty());
    }
}

TEST(MakePortRowTest, ConnectionTextJoinsHostAndPort) {
    PortRecord record;
    record.rxPrev = 1;
    record.rxCount = 2;
    auto connection = [&](const char* host, const char* port) {
        record.dms = test::Dms(host, port, 0, false, false);
        return MakePortRow(record, L"COM1").connection;
    };
    EXPECT_EQ(connection("H", "4000"), L"H:4000");
    EXPECT_EQ(connection("", "4000"), L":4000");
    EXPECT_EQ(connection("H", ""), L"H:");
    EXPECT_EQ(connection("", ""), L"");
    const PortRowInfo row = MakePortRow(record, L"COM1");
    EXPECT_TRUE(row.rxChanged);
    EXPECT_FALSE(row.txChanged);
    EXPECT_FALSE(row.countersOnly);
    EXPECT_EQ(row.status, kStatusNoDevice);
    EXPECT_EQ(row.mode, kModeSerial);
}

}  // namespace kestrel::test
