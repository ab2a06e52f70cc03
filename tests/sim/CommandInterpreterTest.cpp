// The simulator's command language and model, without a pipe.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "CommandInterpreter.h"
#include "CommandParser.h"
#include "ControlFile.h"
#include "StateDescription.h"

namespace kestrel::sim {
namespace {

class CommandTest : public ::testing::Test {
protected:
    void Run(const std::string& line) {
        const CommandResult result = interpreter.Execute(line);
        ASSERT_TRUE(result.ok) << line << ": " << result.text;
    }
    std::string Refused(const std::string& line) {
        const CommandResult result = interpreter.Execute(line);
        EXPECT_FALSE(result.ok) << line;
        return result.text;
    }
    const SimPort& Port(const std::wstring& name) {
        static const SimPort missing;
        const SimPort* port = state.model.FindPort(name);
        EXPECT_NE(port, nullptr);
        return port ? *port : missing;
    }

    SimState state;
    CommandInterpreter interpreter{state};
};

TEST(CommandSplit, QuotesHoldBlanksAndDoubledQuotes) {
    std::vector<std::string> words;
    std::string error;
    ASSERT_TRUE(CommandParser::Split(
        "  log folder=\"C:\\Program Data\\Logs\"  label=\"say \"\"hi\"\"\" x= \"\"\t", words,
        error));
    EXPECT_EQ(words, (std::vector<std::string>{"log", "folder=C:\\Program Data\\Logs",
                                               "label=say \"hi\"", "x=", ""}));
    EXPECT_FALSE(CommandParser::Split("port \"COM3", words, error));
}

TEST_F(CommandTest, NewPortStartsVisibleAndFollowingTheDefaults) {
    const uint32_t stamp = state.model.Stamp();
    Run("port COM3");
    EXPECT_NE(state.model.Stamp(), stamp);
    const SimPort& port = Port(L"COM3");
    EXPECT_EQ(port.label, L"COM3");
    EXPECT_TRUE(port.useDefault);
    EXPECT_EQ(port.update, 1u);  // not 0: the panel would keep it off its list
    EXPECT_FALSE(port.traffic);
}

TEST_F(CommandTest, ChangingDataMovesTheUpdateCounterOnce) {
    Run("port COM3 label=A serial=S1 mode=1 status=0");
    const uint32_t stamp = state.model.Stamp();
    Run("port COM3 label=B serial=S2 host=h dmsport=1");
    EXPECT_EQ(Port(L"COM3").update, 2u);
    EXPECT_EQ(Port(L"COM3").label, L"B");
    EXPECT_EQ(state.model.Stamp(), stamp);

    // Traffic is not data the panel re-reads.
    Run("port COM3 tx=5 rx=6 traffic=on");
    EXPECT_EQ(Port(L"COM3").update, 2u);
    EXPECT_EQ(Port(L"COM3").tx, 5u);

    Run("port COM3 status=3 update=0");
    EXPECT_EQ(Port(L"COM3").update, 0u);
    EXPECT_EQ(Port(L"COM3").status, 3u);

    Run("port COM3 tx=+4294967295 rx=+1 update=+2");
    EXPECT_EQ(Port(L"COM3").tx, 4u);  // wraps
    EXPECT_EQ(Port(L"COM3").rx, 7u);
    EXPECT_EQ(Port(L"COM3").update, 2u);
    Refused("port COM3 tx=-1");
}

TEST_F(CommandTest, DmsParametersGivenToAPortAreItsOwn) {
    Run("port COM3 host=10.1.2.3 dmsport=4000");
    EXPECT_FALSE(Port(L"COM3").useDefault);
    EXPECT_EQ(state.model.EffectiveDms(Port(L"COM3")).host, "10.1.2.3");
    Run("port COM4 default=1 host=kept.for.later");
    EXPECT_TRUE(Port(L"COM4").useDefault);
    EXPECT_EQ(state.model.EffectiveDms(Port(L"COM4")).host, "dms.example.local");
    EXPECT_EQ(Port(L"COM4").own.host, "kept.for.later");
    Run("port COM3 label=X");
    EXPECT_FALSE(Port(L"COM3").useDefault);
}

TEST_F(CommandTest, ARefusedCommandChangesNothing) {
    Run("port COM3 label=A");
    const uint32_t stamp = state.model.Stamp();
    EXPECT_NE(Refused("port COM3 label=B mode=x"), "");
    EXPECT_NE(Refused("port COM4 label=B ssl=2"), "");
    EXPECT_EQ(Port(L"COM3").label, L"A");
    EXPECT_EQ(Port(L"COM3").update, 1u);
    EXPECT_EQ(state.model.FindPort(L"COM4"), nullptr);
    EXPECT_EQ(state.model.Stamp(), stamp);

    EXPECT_EQ(Refused("port COM3 label=A label=B"), "key given twice: label");
    EXPECT_EQ(Refused("port COM3 colour=red"), "unknown key: colour");
    EXPECT_EQ(Refused("port COM3 mode=0x100000000"), "mode: expected a number");
    EXPECT_EQ(Refused("frobnicate"), "unknown command: frobnicate");
    Refused("remove COM9");
    Refused("state now");
}

TEST_F(CommandTest, TextsMustFitTheirWireFields) {
    Run("port " + std::string(200, 'N'));
    Refused("port " + std::string(201, 'N'));
    Run("port COM3 label=" + std::string(29, 'L') + " serial=" + std::string(149, 'S'));
    Refused("port COM3 label=" + std::string(30, 'L'));
    Refused("port COM3 serial=" + std::string(150, 'S'));
    Run("port COM3 host=" + std::string(299, 'h') + " dmsport=123456789");
    Refused("port COM3 host=" + std::string(300, 'h'));
    Refused("defaults dmsport=1234567890");
    Run("log folder=" + std::string(259, 'f'));
    Refused("log folder=" + std::string(260, 'f'));
    // Limits count UTF-16 code units: U+1F600 takes two.
    std::string emoji;
    for (int i = 0; i < 15; ++i) emoji += "\xF0\x9F\x98\x80";
    Refused("port COM3 label=" + emoji);
    Refused("port COM3 label=\xC3");  // broken UTF-8
}

TEST_F(CommandTest, DefaultsMoveOnlyTheirFollowers) {
    Run("port COM3 default=1");
    Run("port COM4 default=0 host=own");
    Run("defaults host=changed.example retry=1000 active=1");
    EXPECT_EQ(Port(L"COM3").update, 2u);
    EXPECT_EQ(Port(L"COM4").update, 1u);
    EXPECT_EQ(state.model.DefaultDms().host, "changed.example");
    EXPECT_EQ(state.model.DefaultDms().port, "4000");  // untouched keys stay
    EXPECT_EQ(state.model.EffectiveDms(Port(L"COM3")).retryMs, 1000u);
    EXPECT_EQ(state.model.EffectiveDms(Port(L"COM4")).host, "own");

    Run("log folder=\"D:\\Kestrel Logs\" level=7");
    EXPECT_EQ(state.model.LogFolder(), L"D:\\Kestrel Logs");
    EXPECT_EQ(state.model.LogLevel(), 7u);
}

TEST_F(CommandTest, TrafficMovesOnlyActivePortsWithADevice) {
    Run("port COM1 default=0 active=1 traffic=on");
    Run("port COM2 default=0 active=0 traffic=on");
    Run("port COM3 default=0 active=1 traffic=on status=3");
    Run("port COM4 default=0 active=1");
    Run("port COM5 default=1 traffic=on");  // the defaults are not active
    for (int i = 0; i < 20; ++i) state.model.AdvanceTraffic();
    EXPECT_GT(Port(L"COM1").tx, 0u);
    EXPECT_GT(Port(L"COM1").rx, 0u);
    for (const wchar_t* name : {L"COM2", L"COM3", L"COM4", L"COM5"})
        EXPECT_EQ(Port(name).tx + Port(name).rx, 0u) << name;
    EXPECT_EQ(Port(L"COM1").update, 1u);

    Run("traffic off COM1");
    EXPECT_FALSE(Port(L"COM1").traffic);
    Run("traffic on");
    EXPECT_TRUE(Port(L"COM4").traffic);
    Refused("traffic on COM9");
    Refused("traffic maybe");
}

TEST_F(CommandTest, FaultArgumentsAreChecked) {
    Run("fault delay 12000 on=GetPortCounters count=2");
    Run("fault stale");
    Run("fault refuse 5 on=3 count=always");
    Run("fault version 3.14.0");
    Refused("fault delay");
    Refused("fault explode");
    Refused("fault stale 0");
    Refused("fault stale 17");
    Refused("fault length 4097");
    Refused("fault refuse 0");
    Refused("fault future 0");
    Refused("fault version 2.14");
    Refused("fault version 2.14.0 on=1");
    Refused("fault claim 5 on=GetPortName");
    Refused("fault names maybe");
    Refused("fault drop on=12");
    Refused("fault drop count=0");
    Refused("fault drop 5");
    ASSERT_EQ(state.faults.Faults().size(), 4u);
    const Fault& version = state.faults.Faults()[3];
    EXPECT_FALSE(version.anyCode);
    EXPECT_EQ(version.code, static_cast<uint32_t>(kQueryVersion));
    EXPECT_EQ(version.version[0], 3u);
    Run("clear-faults");
    EXPECT_TRUE(state.faults.Faults().empty());
}

TEST_F(CommandTest, StateRebuildsTheSameModel) {
    Run("demo");
    Run("port \"Odd \"\"name\"\"\" label=\"two words\" serial= tx=9 update=0");
    Run("port \"form\ffeed\" label=\"vertical\vtab\" serial=\"carriage\rreturn\"");
    Run("defaults host=\"\" retry=1");
    Run("log folder=C:\\Logs level=1");
    Run("fault delay 300 on=11 count=2");
    const CommandResult described = interpreter.Execute("state");
    ASSERT_TRUE(described.ok);

    SimState copy;
    CommandInterpreter rebuild(copy);
    std::istringstream lines(described.text);
    for (std::string line; std::getline(lines, line);) {
        const CommandResult result = rebuild.Execute(line);
        ASSERT_TRUE(result.ok) << line << ": " << result.text;
    }
    const auto withoutStamp = [](const std::string& text) {
        return text.substr(0, text.rfind('#'));
    };
    EXPECT_EQ(withoutStamp(StateDescription::Describe(copy)), withoutStamp(described.text));
}

TEST_F(CommandTest, DemoAndReset) {
    Run("demo");
    EXPECT_EQ(state.model.Ports().size(), 5u);
    EXPECT_EQ(Port(L"COM7").status, static_cast<uint32_t>(kStatusNoDevice));
    EXPECT_EQ(state.model.EffectiveDms(Port(L"COM3")).host, "10.1.2.3");
    Run("fault drop");
    const uint32_t stamp = state.model.Stamp();
    Run("reset");
    EXPECT_TRUE(state.model.Ports().empty());
    EXPECT_TRUE(state.faults.Faults().empty());
    EXPECT_NE(state.model.Stamp(), stamp);
    EXPECT_NE(state.model.Stamp(), 0u);
}

TEST_F(CommandTest, ServerActionsAreHandedToTheCaller) {
    EXPECT_EQ(interpreter.Execute("drop-all").action, ServerAction::DropAll);
    EXPECT_EQ(interpreter.Execute("crash-all").action, ServerAction::CrashAll);
    EXPECT_EQ(interpreter.Execute("quit").action, ServerAction::Quit);
    const CommandResult sleep = interpreter.Execute("sleep 250");
    EXPECT_EQ(sleep.action, ServerAction::Sleep);
    EXPECT_EQ(sleep.sleepMs, 250u);
    EXPECT_TRUE(interpreter.Execute("   # a comment").ok);
    EXPECT_TRUE(interpreter.Execute("").ok);
    EXPECT_NE(interpreter.Execute("counts").text.find("GetPortCounters=0"), std::string::npos);
}

TEST_F(CommandTest, LinesOfOnlyBlanksOrACommentDoNothing) {
    // Form feed and vertical tab are blanks to the word splitter too.
    for (const char* line : {"\f", "\v", " \t\f\v\r\n", "\f# a comment", "\v  \t"}) {
        const CommandResult result = interpreter.Execute(line);
        EXPECT_TRUE(result.ok) << static_cast<int>(line[0]);
        EXPECT_TRUE(result.text.empty());
    }
    EXPECT_TRUE(state.model.Ports().empty());
}

TEST(ControlFileTest, ReturnsCompleteLinesAppendedSinceTheLastRead) {
    const std::string path = ::testing::TempDir() + "kestrel_sim_control.txt";
    std::remove(path.c_str());
    ControlFile control(path);
    EXPECT_TRUE(control.ReadNewLines().empty());  // no file yet

    std::ofstream(path, std::ios::binary) << "port COM3\r\nremo";
    EXPECT_EQ(control.ReadNewLines(), std::vector<std::string>{"port COM3"});
    std::ofstream(path, std::ios::binary | std::ios::app) << "ve COM3\nstate\n";
    EXPECT_EQ(control.ReadNewLines(), (std::vector<std::string>{"remove COM3", "state"}));
    EXPECT_TRUE(control.ReadNewLines().empty());

    std::ofstream(path, std::ios::binary) << "demo\n";  // rewritten shorter
    EXPECT_EQ(control.ReadNewLines(), std::vector<std::string>{"demo"});
    std::remove(path.c_str());
}

}  // namespace
}  // namespace kestrel::sim
