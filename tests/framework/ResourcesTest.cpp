#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>
#include <utility>
#include <vector>

#include "ExpectedTexts.h"
#include "resource.h"

namespace kestrel {
namespace {

const HINSTANCE self = ::GetModuleHandleW(nullptr);

const BYTE* Resource(const wchar_t* type, UINT id, DWORD* size = nullptr) {
    const HRSRC found = ::FindResourceW(self, MAKEINTRESOURCEW(id), type);
    if (size) *size = found ? ::SizeofResource(self, found) : 0;
    return found ? static_cast<const BYTE*>(::LockResource(::LoadResource(self, found))) : nullptr;
}

// Reads an extended dialog template as the dialog manager does, into one line
// for the dialog ("style exStyle box class title points face") and one per
// control ("id style exStyle box class title").
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : at(data) {}

    std::vector<std::wstring> Lines() {
        EXPECT_EQ(Take<DWORD>(), 0xFFFF0001u);  // extended template, version 1
        Take<DWORD>();
        std::wstring line = Styles();
        const WORD count = Take<WORD>();
        line += Box();
        EXPECT_EQ(Text(), L"");  // no menu
        line += ClassName();
        line += Quoted() + L" ";
        line += std::to_wstring(Take<WORD>());
        Take<DWORD>();  // weight, italic, character set
        std::vector<std::wstring> lines{line + L" " + Quoted()};
        for (WORD i = 0; i < count; ++i) {
            at += (4 - reinterpret_cast<UINT_PTR>(at) % 4) % 4;
            Take<DWORD>();
            line = Styles();
            line += Box();
            line = std::to_wstring(static_cast<int>(Take<DWORD>())) + L" " + line;
            line += ClassName();
            lines.push_back(line + Quoted());
            Take<WORD>();
        }
        return lines;
    }

private:
    template <class T>
    T Take() {
        T value;
        std::memcpy(&value, at, sizeof(T));
        at += sizeof(T);
        return value;
    }
    std::wstring Styles() {  // stored as exStyle, style; shown the other way round
        const DWORD exStyle = Take<DWORD>();
        wchar_t text[32];
        std::swprintf(text, 32, L"%08lX %08lX ", static_cast<unsigned long>(Take<DWORD>()),
                      static_cast<unsigned long>(exStyle));
        return text;
    }
    std::wstring Box() {
        std::wstring box;
        for (int i = 0; i < 4; ++i) box += std::to_wstring(Take<short>()) + (i < 3 ? L"," : L" ");
        return box;
    }
    std::wstring Quoted() {
        const std::wstring text = Text();
        return L"\"" + text + L"\"";
    }
    std::wstring Text() {  // a text, or #n for an ordinal
        const WORD first = Take<WORD>();
        if (first == 0xFFFF) return L"#" + std::to_wstring(Take<WORD>());
        std::wstring text;
        for (WORD c = first; c != 0; c = Take<WORD>()) text += static_cast<wchar_t>(c);
        return text;
    }
    // Class names compare without regard to case, as in the system (the
    // resource compiler may store them upper-cased); predefined ones may be ordinals.
    std::wstring ClassName() {
        std::wstring name = Text();
        if (name == L"#128") name = L"BUTTON";
        if (name == L"#129") name = L"EDIT";
        if (name == L"#130") name = L"STATIC";
        if (name == L"#133") name = L"COMBOBOX";
        for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(c));
        return name + L" ";
    }

    const BYTE* at;
};

TEST(Resources, DialogTemplates) {
    EXPECT_EQ(TemplateReader(Resource(RT_DIALOG, IDD_ABOUTBOX)).Lines(),
              (std::vector<std::wstring>{
                  L"80C800C0 00000000 0,0,187,76  \"About\" 8 \"MS Sans Serif\"",
                  L"1 50010001 00000000 130,52,50,14 BUTTON \"OK\"",
                  L"-1 50000003 00000000 145,11,21,20 STATIC \"#128\"",
                  L"1004 50020001 00000000 7,10,119,56 STATIC \"Static\"",
              }));
    EXPECT_EQ(TemplateReader(Resource(RT_DIALOG, IDD_MAINDLG)).Lines(),
              (std::vector<std::wstring>{
                  L"00C80040 00000000 0,0,477,166 {9B7CBD2A-28DF-445B-89C4-CD6D7CDBA667} \"\" 8 "
                  L"\"MS Sans Serif\"",
                  L"1007 50010000 00000000 11,141,66,14 BUTTON \"Preferences...\"",
                  L"1005 50828885 00000020 12,12,453,118 SYSLISTVIEW32 \"\"",
                  L"2 50010001 00000000 400,141,66,14 BUTTON \"Close\"",
              }));
}

INT_PTR CALLBACK InitOnlyProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// Creates the dialog from its template and checks that the dialog manager
// makes one child per template line, in template order, with its id, class
// and text (a class it cannot find, or a broken template, fails creation).
void ExpectCreates(UINT id, const std::vector<std::wstring>& lines) {
    const HWND dialog = ::CreateDialogParamW(self, MAKEINTRESOURCEW(id), nullptr, InitOnlyProc, 0);
    ASSERT_NE(dialog, nullptr) << id;
    std::vector<std::wstring> made, wanted;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = {}, text[128] = {};
        ::GetClassNameW(child, name, 64);
        ::GetWindowTextW(child, text, 128);
        for (wchar_t* c = name; *c; ++c) *c = static_cast<wchar_t>(std::towupper(*c));
        made.push_back(std::to_wstring(static_cast<short>(::GetDlgCtrlID(child))) + L" " + name +
                       L" \"" + text + L"\"");
    }
    for (size_t i = 1; i < lines.size(); ++i) {  // "id style exStyle box CLASS "text""
        const std::wstring& line = lines[i];
        size_t classAt = 0;
        for (int field = 0; field < 4; ++field) classAt = line.find(L' ', classAt) + 1;
        wanted.push_back(line.substr(0, line.find(L' ')) + L" " + line.substr(classAt));
    }
    EXPECT_EQ(made, wanted) << id;
    ::DestroyWindow(dialog);
}

// The two editors of the connection parameters: the dialog classes find their
// controls by these ids and rely on these styles.
TEST(Resources, ConnectionAndPreferencesTemplates) {
    const std::wstring connect =
        L"\"Connect to COM port           [requires DMS IP-address/hostname and port number]\"";
    const std::vector<std::wstring> connection{
        L"80C800C0 00000000 0,0,426,155  \"Dialog\" 8 \"MS Shell Dlg\"",
        L"1009 50030009 00000000 12,9,128,10 BUTTON \"Use default connection parameters\"",
        L"1010 50010009 00000000 12,26,129,10 BUTTON \"Use specific connection parameters\"",
        L"1012 50830080 00000000 113,47,300,14 EDIT \"\"",  // a group: arrows stay on the radios
        L"1013 50812080 00000000 113,66,54,14 EDIT \"\"",
        L"1020 50010003 00000000 341,68,72,10 BUTTON \"Use SSL encryption\"",
        L"1014 50812080 00000000 113,85,54,14 EDIT \"\"",
        L"1011 50010003 00000000 13,106,399,10 BUTTON " + connect,
        L"1 50010001 00000000 159,128,50,14 BUTTON \"Apply\"",
        L"2 50010000 00000000 216,128,50,14 BUTTON \"Cancel\"",
        L"-1 50020000 00000000 13,50,86,8 STATIC \"DMS IP-address/hostname\"",
        L"-1 50020000 00000000 13,69,56,8 STATIC \"DMS port number\"",
        L"-1 50020000 00000000 13,88,97,8 STATIC \"Retry to connect to DMS after\"",
        L"-1 50020000 00000000 171,88,27,8 STATIC \"seconds\"",
    };
    const std::vector<std::wstring> preferences{
        L"80C800C0 00000000 0,0,426,209  \"Preferences\" 8 \"MS Shell Dlg\"",
        L"1015 50810880 00000000 37,23,322,14 EDIT \"\"",
        L"1017 50010000 00000000 364,23,50,14 BUTTON \"Browse\"",
        L"1018 50210003 00000000 37,43,322,69 COMBOBOX \"\"",
        L"1012 50810080 00000000 113,88,300,14 EDIT \"\"",
        L"1013 50812080 00000000 113,108,54,14 EDIT \"\"",
        L"1020 50010003 00000000 341,111,72,10 BUTTON \"Use SSL encryption\"",
        L"1014 50812080 00000000 113,129,54,14 EDIT \"\"",
        L"1011 50010003 00000000 13,152,399,10 BUTTON " + connect,
        L"1 50010001 00000000 159,187,50,14 BUTTON \"Apply\"",
        L"2 50010000 00000000 216,187,50,14 BUTTON \"Cancel\"",
        L"-1 50020000 00000000 13,91,86,8 STATIC \"DMS IP-address/hostname\"",
        L"-1 50020000 00000000 13,111,56,8 STATIC \"DMS port number\"",
        L"-1 50020000 00000000 13,132,97,8 STATIC \"Retry to connect to DMS after\"",
        L"-1 50020000 00000000 171,132,27,8 STATIC \"seconds\"",
        L"-1 50000007 00000000 6,75,413,95 BUTTON \"Default connection parameters\"",
        L"-1 50000007 00000000 6,10,413,56 BUTTON \"Logging\"",
        L"-1 50020000 00000000 13,26,21,8 STATIC \"Folder\"",
        L"-1 50020000 00000000 13,45,18,8 STATIC \"Level\"",
    };
    EXPECT_EQ(TemplateReader(Resource(RT_DIALOG, IDD_CONNECTIONDLG)).Lines(), connection);
    EXPECT_EQ(TemplateReader(Resource(RT_DIALOG, IDD_GLOBALDLG)).Lines(), preferences);
    ExpectCreates(IDD_CONNECTIONDLG, connection);
    ExpectCreates(IDD_GLOBALDLG, preferences);
}

TEST(Resources, StringsIconVersionAndManifest) {
    const wchar_t* const strings[] = {
        L"&About ...", L"COM Port", L"Serial Number", L"",           L"", L"Mode", L" ",
        L"RX",         L"TX",       L"Status",        L"Connection", L" "};
    for (UINT id = 129; id <= 140; ++id) {
        wchar_t text[64] = {};
        ::LoadStringW(self, id, text, 64);
        EXPECT_STREQ(text, strings[id - 129]) << id;
    }

    // The program icon and the tray's two other looks, each at the small and
    // large sizes of 96 and 144 DPI.
    for (const UINT id : {IDR_MAINFRAME, IDI_TRAY_GREYED, IDI_TRAY_WARNING}) {
        const BYTE* group = Resource(RT_GROUP_ICON, id);
        ASSERT_NE(group, nullptr) << id;
        std::vector<int> widths;
        for (int i = 0; i < group[4]; ++i) widths.push_back(group[6 + 14 * i]);
        EXPECT_EQ(widths, (std::vector<int>{16, 24, 32, 48})) << id;
        for (const int size : widths) {
            const HANDLE icon =
                ::LoadImageW(self, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
            EXPECT_NE(icon, nullptr) << id << " " << size;
            ::DestroyIcon(static_cast<HICON>(icon));
        }
    }

    DWORD size = 0;
    const BYTE* version = Resource(RT_VERSION, VS_VERSION_INFO, &size);
    ASSERT_NE(version, nullptr);
    const std::vector<BYTE> block(version, version + size);  // VerQueryValueW needs a copy
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    // The configured product version, in the numbers and in the texts.
    const DWORD versionMS = (KESTREL_VERSION_MAJOR << 16) | KESTREL_VERSION_MINOR;
    const DWORD versionLS = KESTREL_VERSION_PATCH << 16;
    EXPECT_EQ(fixed->dwFileVersionMS, versionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, versionLS);
    EXPECT_EQ(fixed->dwProductVersionMS, versionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, versionLS);
    const std::wstring versionText = std::to_wstring(KESTREL_VERSION_MAJOR) + L"." +
                                     std::to_wstring(KESTREL_VERSION_MINOR) + L"." +
                                     std::to_wstring(KESTREL_VERSION_PATCH) + L".0";
    const std::pair<const wchar_t*, std::wstring> texts[] = {
        {L"FileVersion", versionText},
        {L"ProductVersion", versionText},
        {L"ProductName", test::texts::kProductName},
        {L"CompanyName", test::texts::kCompanyName}};
    for (const auto& [name, expected] : texts) {
        wchar_t* value = nullptr;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
        ASSERT_TRUE(
            ::VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
            << name;
        EXPECT_EQ(std::wstring(value), expected) << name;
    }

    const BYTE* manifest = Resource(RT_MANIFEST, 1, &size);
    ASSERT_NE(manifest, nullptr);
    const std::string text(reinterpret_cast<const char*>(manifest), size);
    EXPECT_NE(text.find("Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
}

}  // namespace
}  // namespace kestrel
