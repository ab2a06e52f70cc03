// KestrelCtl.exe run to its end against KestrelSim.exe on a pipe of the test's
// own: every command and exit code, values refused before anything is sent
// and changes the service refuses, the questions that --yes answers, JSON and
// CSV read back by strict readers, UTF-8 where the output is a pipe, and the
// check's line and codes.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ExpectedTexts.h"
#include "PanelProcess.h"
#include "ParsedOutput.h"
#include "PipeName.h"

namespace kestrel::e2e {
namespace {

using test::ProgramRun;
namespace texts = test::texts;

// "é" as the tool writes it into a pipe.
const std::string kEAcute = "\xC3\xA9";

class CtlProcess : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(service.Start(L"--pipe " + pipe));
        Sim("defaults host=defaults.example dmsport=443 retry=3000 active=1");
        Sim("log folder=C:\\Logs level=1");
        Sim("port COM3 label=Dock-3 serial=SN-3 mode=0 status=0 default=0 host=10.1.2.3 "
            "dmsport=4000 retry=30000 active=1");
        Sim("port COM4 label=\"B" + kEAcute +
            ", \"\"4\"\"\" serial=SN-4 mode=2 status=1 default=1");
        Sim("port COM10 label=COM10 serial=SN-10 mode=1 status=0 default=0 active=0");
        Sim("port COM7 status=3");
    }

    void Sim(const std::string& command) { ASSERT_TRUE(service.Execute(command)) << command; }

    ProgramRun Ctl(const std::wstring& arguments) {
        return test::RunToEnd(L"KestrelCtl.exe", L"--pipe " + pipe + L" " + arguments, 30000);
    }

    // The simulator's count of one request.
    std::string Count(const std::string& request) {
        const std::string counts = service.Counts();
        const size_t at = counts.find(" " + request + "=");
        if (at == std::string::npos) return "?";
        const size_t from = at + request.size() + 2;
        return counts.substr(from, counts.find_first_of(" \r\n", from) - from);
    }

    const std::wstring pipe = test::UniquePipeName();
    Simulator service;
};

std::string Utf8(const std::wstring& text) {
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
    utf8.pop_back();
    return utf8;
}

void ExpectRun(const ProgramRun& run, DWORD exitCode, const std::string& out,
               const std::string& err = "") {
    EXPECT_EQ(run.exitCode, exitCode) << run.out << run.err;
    EXPECT_EQ(run.out, out);
    EXPECT_EQ(run.err, err);
}

TEST_F(CtlProcess, StatusVersionHelpAndUsageErrors) {
    ExpectRun(Ctl(L"--VERSION"), 0, "KestrelCtl 2.14.0\r\n");
    const ProgramRun help = Ctl(L"--help");
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_NE(help.out.find("5 no such port"), std::string::npos) << help.out;
    ExpectRun(Ctl(L"restart"), 1, "", "Unknown command 'restart'.\r\n");
    ExpectRun(Ctl(L"get COM3 colour=red"), 1, "", "Unexpected 'colour=red'.\r\n");
    ExpectRun(Ctl(L"set COM3 colour=red"), 1, "", "Unknown key 'colour'.\r\n");
    ExpectRun(Ctl(L"ports --json --csv"), 1, "", "Unexpected '--csv'.\r\n");
    EXPECT_EQ(Count("total"), "0");
    ExpectRun(Ctl(L"status"), 0, "running 2.14.0\r\n");
}

TEST_F(CtlProcess, PortsAsTableJsonAndCsvInUtf8) {
    const std::string com4 = "B" + kEAcute + ", \"4\"";
    ExpectRun(Ctl(L"PORTS"), 0,
              "COM Port  Label    Serial Number  Mode     Status         Connection\r\n"
              "COM4      " +
                  com4 +
                  "  SN-4           Velmora  Not connected  defaults.example:443\r\n"
                  "COM10     COM10    SN-10          Serial   -              -\r\n"
                  "COM3      Dock-3   SN-3           POCT1-A  Connected      10.1.2.3:4000\r\n");

    const ProgramRun json = Ctl(L"ports --json");
    ASSERT_EQ(json.exitCode, 0u);
    const auto objects = test::JsonArrayReader(json.out).Read();
    ASSERT_TRUE(objects.has_value()) << json.out;
    ASSERT_EQ(objects->size(), 3u);
    EXPECT_EQ(objects->at(0).at("label"), com4);
    EXPECT_EQ(objects->at(0).at("useDefault"), "true");
    EXPECT_EQ(objects->at(0).at("host"), "defaults.example");
    const test::JsonObject expected{
        {"port", "COM3"},        {"label", "Dock-3"},     {"serial", "SN-3"},
        {"mode", "POCT1-A"},     {"status", "Connected"}, {"connection", "10.1.2.3:4000"},
        {"useDefault", "false"}, {"host", "10.1.2.3"},    {"dmsPort", "4000"},
        {"retry", "30"},         {"ssl", "false"},        {"active", "true"}};
    EXPECT_EQ(objects->at(2), expected);

    const ProgramRun csv = Ctl(L"ports --csv");
    const auto records = test::ReadCsv(csv.out);
    ASSERT_TRUE(records.has_value()) << csv.out;
    ASSERT_EQ(records->size(), 4u);
    EXPECT_EQ(records->at(0), (std::vector<std::string>{"COM Port", "Label", "Serial Number",
                                                        "Mode", "Status", "Connection"}));
    EXPECT_EQ(records->at(1).at(1), com4);
    EXPECT_EQ(records->at(3).at(5), "10.1.2.3:4000");
}

TEST_F(CtlProcess, GetAndSetAPortsParameters) {
    ExpectRun(Ctl(L"get com3"), 0,
              "useDefault=0\r\nhost=10.1.2.3\r\nport=4000\r\nretry=30\r\nssl=0\r\nactive=1\r\n");
    // The names find the port: it is the only one read.
    EXPECT_EQ(Count("GetPortName"), "4");
    EXPECT_EQ(Count("GetPortCounters"), "0");
    EXPECT_EQ(Count("GetPortDevice"), "1");
    EXPECT_EQ(Count("GetPortDmsConfig"), "1");
    // An inactive port: nothing to ask. Keys left out keep their values.
    ExpectRun(Ctl(L"set COM10 host=lab.example port=4100 retry=15 SSL=1 active=1"), 0,
              "useDefault=0\r\nhost=lab.example\r\nport=4100\r\nretry=15\r\nssl=1\r\nactive=1\r\n");
    ExpectRun(Ctl(L"set COM10 retry=20"), 0,
              "useDefault=0\r\nhost=lab.example\r\nport=4100\r\nretry=20\r\nssl=1\r\nactive=1\r\n");
    EXPECT_NE(service.State().find("port COM10 label=COM10 serial=SN-10 mode=1 status=0 default=0 "
                                   "host=lab.example dmsport=4100 retry=20000 ssl=1 active=1"),
              std::string::npos);

    // Now active: following the defaults changes its DMS, which --yes allows.
    const std::string question = Utf8(texts::kChangeQuestion) + "\r\n";
    ExpectRun(Ctl(L"set COM10 default"), 2, "", question);
    EXPECT_EQ(Count("UseDefaultDmsConfig"), "0");
    ExpectRun(
        Ctl(L"set COM10 default --yes"), 0,
        "useDefault=1\r\nhost=defaults.example\r\nport=443\r\nretry=3\r\nssl=0\r\nactive=1\r\n");
}

TEST_F(CtlProcess, ValuesRefusedBeforeSendingAndAChangeTheServiceRefuses) {
    ExpectRun(Ctl(L"set COM3 port=65536"), 2, "", Utf8(texts::kPortInvalid) + "\r\n");
    ExpectRun(Ctl(L"set COM3 host=caf\u00e9"), 2, "",
              "Invalid character '" + kEAcute + "' in DMS host name.\r\n");
    ExpectRun(Ctl(L"set COM3 retry=0"), 2, "", Utf8(texts::kRetryInvalid) + "\r\n");
    ExpectRun(Ctl(L"set COM3 ssl=maybe"), 2, "", "Invalid value 'maybe' for ssl: 0 or 1.\r\n");
    ExpectRun(Ctl(L"set COM3 host= active=1"), 2, "",
              "Connect to COM port requires DMS IP-address/hostname and port number.\r\n");
    ExpectRun(Ctl(L"set COM3 active=0"), 2, "", Utf8(texts::kDeactivationQuestion) + "\r\n");
    EXPECT_EQ(Count("SetPortDmsConfig"), "0");
    ExpectRun(Ctl(L"defaults set \"host=a\nactive=1\" --yes"), 2, "",
              "Invalid character '\\n' in DMS host name.\r\n");
    EXPECT_EQ(Count("SetDefaultDmsConfig"), "0");

    Sim("fault refuse 87 on=SetPortDmsConfig");
    ExpectRun(Ctl(L"set COM3 host=refused.example --yes"), 4,
              "useDefault=0\r\nhost=10.1.2.3\r\nport=4000\r\nretry=30\r\nssl=0\r\nactive=1\r\n",
              Utf8(texts::kNotAccepted) + "\r\n");
    ExpectRun(Ctl(L"get COM99"), 5, "", "No port 'COM99'.\r\n");
    // A port without a device has its parameters too.
    ExpectRun(
        Ctl(L"get COM7"), 0,
        "useDefault=1\r\nhost=defaults.example\r\nport=443\r\nretry=3\r\nssl=0\r\nactive=1\r\n");
}

TEST_F(CtlProcess, DefaultsAndLogSettings) {
    ExpectRun(Ctl(L"defaults"), 0,
              "host=defaults.example\r\nport=443\r\nretry=3\r\nssl=0\r\nactive=1\r\n");
    // The retry period cuts nothing: no question.
    ExpectRun(Ctl(L"defaults set retry=7"), 0,
              "host=defaults.example\r\nport=443\r\nretry=7\r\nssl=0\r\nactive=1\r\n");
    ExpectRun(Ctl(L"defaults set active=0"), 2, "",
              Utf8(texts::kDefaultDeactivationQuestion) + "\r\n");

    // A plain folder prints as it is, as log set takes it back.
    ExpectRun(Ctl(L"log"), 0, "folder=C:\\Logs\r\nlevel=1\r\n");
    ExpectRun(Ctl(L"log set level=\"text dump of transferred data\" folder=C:\\windows"), 0,
              "folder=C:\\windows\r\nlevel=3\r\n");
    ExpectRun(Ctl(L"log set folder=\\\\host\\logs"), 2, "",
              "The log folder must be on a local fixed drive.\r\n");
    ExpectRun(Ctl(L"log set level=9"), 2, "", "Invalid log level '9'.\r\n");
    EXPECT_EQ(Count("SetLogSettings"), "1");
}

// JSON in ASCII whatever the names hold, and a port read from it works as PORT.
TEST_F(CtlProcess, APortReadFromTheJsonWorksAsPort) {
    Sim("port COM\xF0\x9F\x98\x80 label=Smile mode=0 status=0 default=0 host=h dmsport=1 "
        "retry=5000");
    const ProgramRun json = Ctl(L"ports --json");
    EXPECT_EQ(json.out.find_first_not_of(" !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUV"
                                         "WXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~\r\n"),
              std::string::npos)
        << json.out;
    const auto objects = test::JsonArrayReader(json.out).Read();
    ASSERT_TRUE(objects.has_value()) << json.out;
    ASSERT_EQ(objects->size(), 4u);
    const std::wstring port = test::WideFromUtf8(objects->at(3).at("port"));
    EXPECT_EQ(port, L"COM\xD83D\xDE00");
    ExpectRun(Ctl(L"get " + port), 0,
              "useDefault=0\r\nhost=h\r\nport=1\r\nretry=5\r\nssl=0\r\nactive=0\r\n");
}

// Output cut short is no success: a reader would take half a list for all of it.
TEST_F(CtlProcess, OutputThatCannotBeWrittenFailsTheRun) {
    const ProgramRun run =
        test::RunToEnd(L"KestrelCtl.exe", L"--pipe " + pipe + L" ports --json", 30000, true);
    EXPECT_EQ(run.exitCode, 6u) << run.err;
    EXPECT_EQ(run.err.rfind("The output could not be written (error ", 0), 0u) << run.err;
    // A check keeps to its own codes: a line that did not get out is no check.
    const ProgramRun check =
        test::RunToEnd(L"KestrelCtl.exe", L"--pipe " + pipe + L" check", 30000, true);
    EXPECT_EQ(check.exitCode, 3u) << check.err;
}

TEST_F(CtlProcess, AListTheServiceGarblesOrAStoppedServiceIsUnreachable) {
    // A status that looks like the link's time-out is the service's refusal:
    // running, a check that names the ports it could not read instead of a
    // service not responding, a port list it could not read.
    Sim("fault refuse 1460 on=GetPortCounters count=always");
    ExpectRun(Ctl(L"status"), 0, "running 2.14.0\r\n");
    const ProgramRun check = Ctl(L"check");
    EXPECT_EQ(check.exitCode, 3u) << check.out;
    EXPECT_EQ(check.out.rfind("KESTREL UNKNOWN - COM", 0), 0u) << check.out;
    EXPECT_NE(check.out.find("(status 0x5B4)"), std::string::npos) << check.out;
    Sim("clear-faults");
    Sim("fault refuse 1460 on=GetPortListInfo");
    ExpectRun(Ctl(L"ports"), 3, "", "The service's port list could not be read (error 1460).\r\n");
    Sim("fault claim 4294967295");
    ExpectRun(Ctl(L"ports"), 3, "", "The service's port list could not be read (error 1).\r\n");
    ASSERT_TRUE(service.Quit());
    ExpectRun(Ctl(L"status"), 3, "not running\r\n");
    ExpectRun(Ctl(L"ports --json"), 3, "", "not running\r\n");
    ExpectRun(Ctl(L"set COM3 retry=5"), 3, "", "not running\r\n");
}

// The check's line as a monitoring system reads it: state, text and
// performance data, with the check's own exit codes.
TEST_F(CtlProcess, CheckOkWarningCriticalAndUnknown) {
    const auto check = [&](const std::wstring& arguments, DWORD exitCode,
                           const std::string& state) {
        const ProgramRun run = Ctl(L"check" + arguments);
        EXPECT_EQ(run.exitCode, exitCode) << run.out;
        EXPECT_EQ(run.err, "");
        test::PluginLine line = test::ReadPluginLine(run.out).value_or(test::PluginLine{});
        EXPECT_EQ(line.service, "KESTREL") << run.out;
        EXPECT_EQ(line.state, state);
        return line;
    };
    using Performance = std::map<std::string, std::string>;
    // COM4 follows the active defaults and is not connected; COM10 is in
    // Serial mode and inactive, COM7 has no device.
    test::PluginLine line = check(L"", 1, "WARNING");
    EXPECT_EQ(line.text, "COM4 (B" + kEAcute + ", \"4\"): Not connected");
    EXPECT_EQ(line.performance, (Performance{{"ports", "3"},
                                             {"connected", "1"},
                                             {"not_connected", "1"},
                                             {"not_available", "0"},
                                             {"unreadable", "0"}}));
    EXPECT_EQ(check(L" --critical-not-connected 1", 2, "CRITICAL").text, line.text);

    Sim("port COM4 status=0");
    line = check(L" --critical-not-connected 1", 0, "OK");
    EXPECT_EQ(line.text, "3 ports, all active ports connected");
    EXPECT_EQ(line.performance.at("connected"), "2");

    line = check(L" --critical-not-connected 0", 3, "UNKNOWN");
    EXPECT_EQ(line.text, "Invalid count '0' for --critical-not-connected: 1 to 1000.");
    EXPECT_TRUE(line.performance.empty());
    Sim("fault claim 4294967295");
    EXPECT_EQ(check(L"", 3, "UNKNOWN").text,
              "The service's port list could not be read (error 1).");
    ASSERT_TRUE(service.Quit());
    EXPECT_EQ(check(L"", 2, "CRITICAL").text, "service not running");
}

// A port the service lists but will not read is no connected port: the check
// cannot say and ports names it, whether its device or its counters are refused.
TEST_F(CtlProcess, APortThatCannotBeReadIsNamed) {
    Sim("port COM4 status=0");
    Sim("port COM5 label=Dock-5 mode=0 status=1 default=0 host=h dmsport=1 active=1");
    for (const char* request : {"GetPortDevice", "GetPortCounters"}) {
        Sim("clear-faults");
        Sim(std::string("fault refuse 0x1F port=COM5 count=always on=") + request);
        const ProgramRun check = Ctl(L"check");
        EXPECT_EQ(check.exitCode, 3u) << request;
        EXPECT_EQ(check.out,
                  "KESTREL UNKNOWN - COM5: could not be read (status 0x1F) | ports=3 connected=2 "
                  "not_connected=0 not_available=0 unreadable=1\r\n")
            << request;
        const ProgramRun ports = Ctl(L"ports --csv");
        EXPECT_EQ(ports.exitCode, 7u) << request;
        EXPECT_EQ(ports.err, "Port 'COM5' could not be read (status 0x1f).\r\n");
        EXPECT_EQ(test::ReadCsv(ports.out).value_or(test::CsvRecords{}).size(), 4u) << ports.out;
    }
}

// A slow service: the check ends within its deadline as CRITICAL, and with
// time enough it gives the real state.
TEST_F(CtlProcess, TheDeadlineEndsARunAgainstASlowService) {
    Sim("fault delay 1500 on=GetPortListInfo count=always");
    const ULONGLONG start = ::GetTickCount64();
    ExpectRun(Ctl(L"check --timeout 1"), 2,
              "KESTREL CRITICAL - service not responding within 1 s\r\n");
    EXPECT_LT(::GetTickCount64() - start, 2000u);
    ExpectRun(Ctl(L"ports --timeout 1"), 3, "", "not responding within 1 s\r\n");
    EXPECT_EQ(Ctl(L"check --timeout 5").exitCode, 1u);
}

}  // namespace
}  // namespace kestrel::e2e
