// The tool's command line and output formats, without a service.
#include <gtest/gtest.h>

#include "CtlCommandLine.h"
#include "CtlFormat.h"

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
    EXPECT_EQ(Parse({L"set", L"COM3", L"Default"}).request.command, CtlCommand::SetDefault);
    EXPECT_EQ(Parse({L"defaults", L"SET", L"ssl=1"}).request.command, CtlCommand::SetDefaults);
    EXPECT_EQ(Parse({L"log"}).request.command, CtlCommand::Log);
    EXPECT_EQ(Parse({L"ports", L"--CSV"}).request.format, PortsFormat::Csv);
    EXPECT_EQ(Parse({L"-?"}).request.command, CtlCommand::Help);
    // A value may hold the separator.
    EXPECT_EQ(Parse({L"log", L"set", L"folder=C:\\a=b"}).request.values.at(L"folder"), L"C:\\a=b");
}

TEST(CtlCommandLine, WhatNoCommandTakesIsAUsageError) {
    for (const std::vector<std::wstring>& args :
         std::vector<std::vector<std::wstring>>{{},
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
                                                {L"status", L"--verbose"}}) {
        const CtlParse parse = Parse(args);
        EXPECT_FALSE(parse.ok) << ::testing::PrintToString(args);
        EXPECT_FALSE(parse.error.empty());
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
              L"COM4,\"a \"\"b\"\", c\td\",,Velmora,-,-\r\n");
}

TEST(CtlFormat, TableColumnsAreAsWideAsTheirWidestCell) {
    EXPECT_EQ(FormatTable({Listing(L"Dock")}),
              L"COM Port  Label  Serial Number  Mode     Status  Connection\r\n"
              L"COM4      Dock                  Velmora  -       -\r\n");
    const bool useDefault = false;
    EXPECT_EQ(FormatDmsSettings(DmsSettings{L"h", L"", 5, false, true}, &useDefault),
              L"useDefault=0\r\nhost=h\r\nport=\r\nretry=5\r\nssl=0\r\nactive=1\r\n");
    EXPECT_EQ(FormatLogSettings(L"C:\\Logs", 2), L"folder=C:\\Logs\r\nlevel=2\r\n");
}

}  // namespace
}  // namespace kestrel::ctl
