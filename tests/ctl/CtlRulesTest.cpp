// The tool's command line, output formats and the check's verdicts, without a
// service.
#include <gtest/gtest.h>

#include "CtlCheck.h"
#include "CtlCommandLine.h"
#include "CtlFormat.h"
#include "ParsedOutput.h"

namespace kestrel::ctl {
namespace {

CtlParse Parse(std::vector<std::wstring> args) { return ParseCtlArguments(args); }

TEST(CtlCommandLine, CommandsOptionsAndKeysIgnoreCaseButValuesAndPortsDoNot) {
    CtlParse parse =
        Parse({L"SET", L"com3", L"Host=Lab.Example", L"RETRY=5", L"--Yes", L"--pipe", L"Sim"});
    ASSERT_TRUE(parse.ok) << parse.error;
    EXPECT_EQ(parse.request.command, CtlCommand::Set);
    EXPECT_EQ(parse.request.port, L"com3");
    EXPECT_TRUE(parse.request.yes);
    EXPECT_EQ(parse.request.pipe, L"Sim");
    EXPECT_EQ(parse.request.values,
              (std::map<std::wstring, std::wstring>{{L"host", L"Lab.Example"}, {L"retry", L"5"}}));
    EXPECT_EQ(Parse({L"set", L"COM3", L"Default"}).request.command, CtlCommand::FollowDefaults);
    EXPECT_EQ(Parse({L"defaults", L"SET", L"ssl=1"}).request.command, CtlCommand::ChangeDefaults);
    EXPECT_EQ(Parse({L"log"}).request.command, CtlCommand::Log);
    EXPECT_EQ(Parse({L"ports", L"--CSV"}).request.format, PortsFormat::Csv);
    EXPECT_EQ(Parse({L"-?"}).request.command, CtlCommand::Help);
    const CtlParse check = Parse({L"Check", L"--Critical-Not-Connected", L"1000"});
    EXPECT_EQ(check.request.command, CtlCommand::Check);
    EXPECT_EQ(check.request.criticalNotConnected, 1000u);
    EXPECT_EQ(Parse({L"check"}).request.criticalNotConnected, 0u) << "never critical for ports";
    // Only the check has a deadline of its own.
    EXPECT_EQ(Parse({L"check"}).request.timeoutSeconds, kCheckTimeoutSeconds);
    EXPECT_EQ(Parse({L"ports"}).request.timeoutSeconds, 0u);
    EXPECT_EQ(Parse({L"check", L"--TIMEOUT", L"3600"}).request.timeoutSeconds, 3600u);
    // A value may hold the separator.
    EXPECT_EQ(Parse({L"log", L"set", L"folder=C:\\a=b"}).request.values.at(L"folder"), L"C:\\a=b");
    EXPECT_TRUE(Parse({L"status", L"--pipe", std::wstring(kMaxPipeNameChars, L'p')}).ok);
}

// Words made from each row of the command table reach that row, so that no
// row hides another.
TEST(CtlCommandLine, EveryCommandIsReachedByItsOwnWords) {
    for (size_t i = 0; i < std::size(kCtlCommands); ++i) {
        const CtlCommandRow& row = kCtlCommands[i];
        std::vector<std::wstring> args{row.name};
        if (row.operands == CtlOperands::Port || row.operands == CtlOperands::PortDefault)
            args.push_back(L"COM3");
        if (row.operands == CtlOperands::PortDefault) args.push_back(L"default");
        if (row.operands == CtlOperands::Set) args.push_back(L"set");
        const std::wstring keys = row.keys;
        if (!keys.empty()) args.push_back(keys.substr(0, keys.find(L' ')) + L"=1");
        const CtlParse parse = Parse(args);
        ASSERT_TRUE(parse.ok) << ::testing::PrintToString(args) << ": " << parse.error;
        EXPECT_EQ(parse.request.command, static_cast<CtlCommand>(i))
            << ::testing::PrintToString(args);
    }
}

TEST(CtlCommandLine, WhatNoCommandTakesIsAUsageError) {
    for (const std::vector<std::wstring>& args : std::vector<std::vector<std::wstring>>{
             {},
             {L"start"},
             {L"get"},
             {L"set", L"COM3"},
             {L"set", L"COM3", L"default", L"host=x"},
             {L"set", L"COM3", L"folder=C:\\x"},
             {L"log", L"set", L"host=x"},
             {L"defaults", L"set"},
             {L"get", L"COM3", L"extra"},
             {L"status", L"--json"},
             {L"ports", L"--yes"},
             {L"ports", L"--json", L"--csv"},
             {L"--version", L"status"},
             {L"status", L"--verbose"},
             {L"check", L"COM3"},
             {L"check", L"--critical-not-connected"},
             {L"check", L"--critical-not-connected", L"0"},
             {L"check", L"--critical-not-connected", L"1001"},
             {L"check", L"--critical-not-connected", L"+2"},
             {L"ports", L"--critical-not-connected", L"2"},
             {L"ports", L"--timeout", L"0"},
             {L"check", L"--timeout", L"3601"},
             {L"check", L"--timeout"},
             // --pipe takes a plain name only
             {L"status", L"--pipe", L""},
             {L"status", L"--pipe", L"..\\x"},
             {L"status", L"--pipe", L"a/b"},
             {L"status", L"--pipe", L"a..b"},
             {L"status", L"--pipe", L"."},
             {L"status", L"--pipe", L"sim."},
             {L"status", L"--pipe", L"sim "},
             {L"status", L"--pipe", L"si\x1bm"},
             {L"status", L"--pipe", L"si\x85m"},
             {L"status", L"--pipe", std::wstring(kMaxPipeNameChars + 1, L'p')}}) {
        const CtlParse parse = Parse(args);
        EXPECT_FALSE(parse.ok) << ::testing::PrintToString(args);
        EXPECT_FALSE(parse.error.empty());
    }
}

// Errors that repeat a word show it as a value is shown.
TEST(CtlCommandLine, ErrorsQuoteAWordThatHoldsControlCharacters) {
    EXPECT_EQ(Parse({L"get", L"COM3", L"x\ny"}).error, L"Unexpected '\"x\\ny\"'.");
    EXPECT_EQ(Parse({L"C:\\x"}).error, L"Unknown command 'C:\\x'.");
}

TEST(CtlCommandLine, HelpNamesEveryOption) {
    const std::wstring usage = UsageText();
    for (const wchar_t* option :
         {L"--pipe NAME", L"--timeout SECONDS", L"set PORT key=value... [--yes]",
          L"set PORT default [--yes]", L"ports [--json | --csv]",
          L"check [--critical-not-connected N]", L"7 some ports could\nnot be read"})
        EXPECT_NE(usage.find(option), std::wstring::npos) << option << "\n" << usage;
}

TEST(CtlCommandLine, FlagsAndLevelsAreReadInAnyCase) {
    bool flag = false;
    EXPECT_TRUE(ParseFlag(L"TRUE", flag));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(ParseFlag(L"0", flag));
    EXPECT_FALSE(flag);
    uint32_t level = 0;
    EXPECT_TRUE(ParseLevel(L"text dump of TRANSFERRED data", level));
    EXPECT_EQ(level, 3u);
    EXPECT_TRUE(ParseLevel(L"1", level));
    EXPECT_EQ(level, 1u);
    for (const wchar_t* text : {L"", L"yes", L"01", L"4", L" 1"}) {
        EXPECT_FALSE(ParseFlag(text, flag)) << text;
        EXPECT_FALSE(ParseLevel(text, level)) << text;
    }
}

PortListing Listing(std::wstring label) {
    PortListing row;
    row.port = L"COM4";
    row.label = std::move(label);
    row.mode = L"Velmora";
    row.status = L"-";
    row.connection = L"-";
    row.useDefault = true;
    row.dms = DmsSettings{L"h\\1", L"80", 30, true, false};
    return row;
}

TEST(CtlFormat, JsonAndCsvQuoteWhatTheirReadersNeedQuoted) {
    const std::vector<PortListing> rows{Listing(L"a \"b\", c\td")};
    EXPECT_EQ(
        FormatJson(rows),
        L"[\r\n  {\"port\": \"COM4\", \"label\": \"a \\\"b\\\", c\\u0009d\", \"serial\": \"\", "
        L"\"mode\": \"Velmora\", \"status\": \"-\", \"connection\": \"-\", \"useDefault\": true, "
        L"\"host\": \"h\\\\1\", \"dmsPort\": \"80\", \"retry\": 30, \"ssl\": true, \"active\": "
        L"false}"
        L"\r\n]\r\n");
    EXPECT_EQ(FormatJson({}), L"[\r\n]\r\n");
    EXPECT_EQ(FormatCsv(rows),
              L"COM Port,Label,Serial Number,Mode,Status,Connection\r\n"
              L"COM4,\"a \"\"b\"\", c\\x09d\",,Velmora,-,-\r\n");
}

TEST(CtlFormat, TableColumnsAreAsWideAsTheirWidestCell) {
    EXPECT_EQ(FormatTable({Listing(L"Dock")}),
              L"COM Port  Label  Serial Number  Mode     Status  Connection\r\n"
              L"COM4      Dock                  Velmora  -       -\r\n");
}

TEST(CtlFormat, SettingsAreKeyValueLinesInTheirOrder) {
    const bool useDefault = false;
    EXPECT_EQ(FormatDmsSettings(DmsSettings{L"h", L"", 5, false, true}, &useDefault),
              L"useDefault=0\r\nhost=h\r\nport=\r\nretry=5\r\nssl=0\r\nactive=1\r\n");
    // A plain value prints as it is, so that a script takes it as printed.
    EXPECT_EQ(FormatLogSettings(L"C:\\Logs", 2), L"folder=C:\\Logs\r\nlevel=2\r\n");
}

// Texts from the service cannot add lines, drive a console or turn a line
// around: such a value, and one a script would trim or take for quoted, is
// quoted with C escapes.
TEST(CtlFormat, ValuesArePlainOrQuotedWithEscapes) {
    for (const wchar_t* plain :
         {L"", L"C:\\ProgramData\\Kestrel\\Logs", L"a \"b\"", L"\u00a0\u00e9"})
        EXPECT_EQ(QuoteText(plain), plain);
    EXPECT_EQ(QuoteText(L"a\r\nb\tc\\d\"\x1b[2J\x7f\x80\x9f\u00e9"),
              L"\"a\\r\\nb\\tc\\\\d\\\"\\x1b[2J\\x7f\\x80\\x9f\u00e9\"");
    EXPECT_EQ(QuoteText(L"ab\u202ec\u2028\u200f\u2069"), L"\"ab\\u202ec\\u2028\\u200f\\u2069\"");
    EXPECT_EQ(QuoteText(L" a"), L"\" a\"");
    EXPECT_EQ(QuoteText(L"a "), L"\"a \"");
    EXPECT_EQ(QuoteText(L"\"a"), L"\"\\\"a\"");
    EXPECT_EQ(EscapeText(L"'\"'\n"), L"'\"'\\n");
    EXPECT_EQ(FormatDmsSettings(DmsSettings{L"h\nactive=1", L"80", 5, false, true}),
              L"host=\"h\\nactive=1\"\r\nport=80\r\nretry=5\r\nssl=0\r\nactive=1\r\n");
    EXPECT_EQ(FormatTable({Listing(L"D\r\n")}),
              L"COM Port  Label    Serial Number  Mode     Status  Connection\r\n"
              L"COM4      \"D\\r\\n\"" +
                  std::wstring(17, L' ') + L"Velmora  -       -\r\n");
}

// A console takes a write in pieces, never half a surrogate pair.
TEST(CtlFormat, ConsolePiecesKeepSurrogatePairsWhole) {
    EXPECT_EQ(ConsolePiece(L"abc", 8), 3u);
    EXPECT_EQ(ConsolePiece(L"abcd", 3), 3u);
    EXPECT_EQ(ConsolePiece(L"ab\xD83D\xDE00", 3), 2u);
    EXPECT_EQ(ConsolePiece(L"ab\xD83D\xDE00", 4), 4u);
}

// A name beyond the BMP and one with a lone surrogate come back whole from a
// strict JSON reader, and the port read back works as PORT.
TEST(CtlFormat, JsonIsPrintableAsciiThatReadsBackToTheSameText) {
    const std::vector<std::wstring> names{L"COM\xD83D\xDE00", L"COM\xDC80x\u00e9\x7f"};
    std::vector<PortListing> rows;
    for (const std::wstring& name : names) {
        rows.push_back(Listing(L"Dock"));
        rows.back().port = name;
    }
    const std::wstring json = FormatJson(rows);
    std::string text;
    for (wchar_t c : json) {
        ASSERT_TRUE((c >= 0x20 && c < 0x7F) || c == L'\r' || c == L'\n') << static_cast<int>(c);
        text += static_cast<char>(c);
    }
    EXPECT_NE(text.find("\\ud83d\\ude00"), std::string::npos);
    const auto objects = test::JsonArrayReader(text).Read();
    ASSERT_TRUE(objects.has_value()) << text;
    ASSERT_EQ(objects->size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const std::wstring port = test::WideFromUtf8(objects->at(i).at("port"));
        EXPECT_EQ(port, names[i]);
        EXPECT_EQ(Parse({L"get", port}).request.port, names[i]);
    }
}

// A comma alone is enough for quotes; a cell that a spreadsheet would run as a
// formula gets a leading ', but the panel's "-" for no value stays. CR and LF
// stay inside quotes; no other control character goes out raw.
TEST(CtlFormat, CsvQuotesACommaAloneAndDisarmsFormulas) {
    std::vector<PortListing> rows{
        Listing(L"Dock, bay 2"),     Listing(L"=1+2"), Listing(L"@SUM(A1)"), Listing(L"-2,+3"),
        Listing(L"\t=HYPERLINK(1)"), Listing(L"\r=1"), Listing(L"a\rb\nc")};
    rows[0].serial = L"+49 30";
    rows[1].serial = L"\x1b]0;x\x07\x85";
    const std::wstring csv = FormatCsv(rows);
    EXPECT_EQ(csv,
              L"COM Port,Label,Serial Number,Mode,Status,Connection\r\n"
              L"COM4,\"Dock, bay 2\",'+49 30,Velmora,-,-\r\n"
              L"COM4,'=1+2,\\x1b]0;x\\x07\\x85,Velmora,-,-\r\n"
              L"COM4,'@SUM(A1),,Velmora,-,-\r\n"
              L"COM4,\"'-2,+3\",,Velmora,-,-\r\n"
              L"COM4,'\\x09=HYPERLINK(1),,Velmora,-,-\r\n"
              L"COM4,\"'\r=1\",,Velmora,-,-\r\n"
              L"COM4,\"a\rb\nc\",,Velmora,-,-\r\n");
    std::string narrow;
    for (wchar_t c : csv) narrow += static_cast<char>(c);
    const auto records = test::ReadCsv(narrow);
    ASSERT_TRUE(records.has_value());
    ASSERT_EQ(records->size(), rows.size() + 1);
    EXPECT_EQ(records->back().at(1), "a\rb\nc");
}

TEST(CtlFormat, StatusLineNamesAVersionTheToolDoesNotSpeak) {
    LinkState link;
    link.kind = LinkState::Kind::WrongVersion;
    link.major = 2;
    link.minor = 13;
    link.patch = 7;
    EXPECT_EQ(StatusLine(link), L"version 2.13.7 not supported");
    link.kind = LinkState::Kind::NotResponding;
    EXPECT_EQ(StatusLine(link), L"not responding");
}

TEST(CtlFormat, MessagesAreNotCut) {
    const std::wstring value(3000, L'v');
    EXPECT_EQ(FormatText(L"'%ls'", value.c_str()), L"'" + value + L"'");
}

PortRowInfo Port(std::wstring name, std::wstring label, uint32_t status, bool active = true,
                 uint32_t mode = kModePoct1A) {
    PortRowInfo port;
    port.name = std::move(name);
    port.portLabel = std::move(label);
    port.status = status;
    port.comPortActive = active;
    port.mode = mode;
    return port;
}

// Ports without a device, inactive ports and Serial ports (no DMS link) do
// not count against the check.
TEST(CtlCheck, OkWhenEveryActivePortWithALinkIsConnected) {
    const std::vector<PortRowInfo> ports{
        Port(L"COM3", L"Dock-3", kStatusConnected), Port(L"COM4", L"", kStatusNotConnected, false),
        Port(L"COM10", L"COM10", kStatusNotAvailable, true, kModeSerial),
        Port(L"COM7", L"", kStatusNoDevice)};
    const CheckVerdict verdict = CheckPorts(ports, {}, 1);
    EXPECT_EQ(verdict.state, kCheckOk);
    EXPECT_EQ(verdict.line,
              L"KESTREL OK - 3 ports, all active ports connected | ports=3 "
              L"connected=1 not_connected=0 not_available=0 unreadable=0");
    EXPECT_EQ(CheckPorts({ports[0]}, {}, 0).line,
              L"KESTREL OK - 1 port, all active ports connected | "
              L"ports=1 connected=1 not_connected=0 not_available=0 unreadable=0");
}

TEST(CtlCheck, PortsNotConnectedAreNamedFiveAtMostInNameOrder) {
    std::vector<PortRowInfo> ports{Port(L"COM9", L"Lab|2\x7f\x9f\u202e\nB", kStatusNotConnected),
                                   Port(L"COM10", L"COM10", kStatusNotAvailable),
                                   Port(L"COM1", L"Analyzer 1", 7)};
    EXPECT_EQ(CheckPorts(ports, {}, 0).line,
              L"KESTREL WARNING - COM1 (Analyzer 1): Unknown, COM10: Not available, "
              L"COM9 (Lab/2    B): Not connected | ports=3 connected=0 not_connected=1 "
              L"not_available=1 unreadable=0");
    for (const wchar_t* name : {L"COM2", L"COM3", L"COM4", L"COM5"})
        ports.push_back(Port(name, L"", kStatusNotConnected));
    const CheckVerdict warning = CheckPorts(ports, {}, 8);
    EXPECT_EQ(warning.state, kCheckWarning);
    EXPECT_EQ(warning.line.substr(0, warning.line.find(L" | ")),
              L"KESTREL WARNING - COM1 (Analyzer 1): Unknown, COM10: Not available, "
              L"COM2: Not connected, COM3: Not connected, COM4: Not connected and 2 more");
    const CheckVerdict critical = CheckPorts(ports, {}, 7);
    EXPECT_EQ(critical.state, kCheckCritical);
    EXPECT_EQ(critical.line.substr(0, 19), L"KESTREL CRITICAL - ");
}

// A port the service lists but will not read may be the one that is down.
TEST(CtlCheck, APortThatCouldNotBeReadMakesItUnknown) {
    const std::vector<PortRowInfo> ports{Port(L"COM3", L"", kStatusConnected),
                                         Port(L"COM4", L"", kStatusNotConnected)};
    const CheckVerdict verdict = CheckPorts(ports, {{L"COM5", 0x1F}}, 1);
    EXPECT_EQ(verdict.state, kCheckUnknown);
    EXPECT_EQ(verdict.line,
              L"KESTREL UNKNOWN - COM5: could not be read (status 0x1F), COM4: Not connected | "
              L"ports=2 connected=1 not_connected=1 not_available=0 unreadable=1");
}

TEST(CtlCheck, NoServiceIsCriticalAndACheckNotMadeUnknown) {
    const CheckVerdict down = CheckUnreachable(L"version 2.13.7 not supported");
    EXPECT_EQ(down.state, kCheckCritical);
    EXPECT_EQ(down.line, L"KESTREL CRITICAL - service version 2.13.7 not supported");
    const CheckVerdict stopped = CheckStopped(L"Unexpected 'a|b\r\n'.");
    EXPECT_EQ(stopped.state, kCheckUnknown);
    EXPECT_EQ(stopped.line, L"KESTREL UNKNOWN - Unexpected 'a/b  '.");

    EXPECT_TRUE(NamesCheck({L"--pipe", L"status", L"CHECK", L"--json"}));
    EXPECT_TRUE(NamesCheck({L"--critical-not-connected", L"x", L"check"}));
    EXPECT_TRUE(NamesCheck({L"--timeout", L"status", L"check"}));
    EXPECT_FALSE(NamesCheck({L"--pipe", L"check", L"status"}));
    EXPECT_FALSE(NamesCheck({L"get", L"check"}));
    EXPECT_FALSE(NamesCheck({}));
}

}  // namespace
}  // namespace kestrel::ctl
