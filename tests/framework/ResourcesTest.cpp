#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

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
        if (name == L"#130") name = L"STATIC";
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

TEST(Resources, StringsIconVersionAndManifest) {
    const wchar_t* const strings[] = {L"&About ...", L"COM Port", L"Serial Number", L"",
                                      L"Info",       L"Mode",     L" ",             L"RX",
                                      L"TX",         L"Status",   L"Connection",    L" "};
    for (UINT id = 129; id <= 140; ++id) {
        wchar_t text[64] = {};
        ::LoadStringW(self, id, text, 64);
        EXPECT_STREQ(text, strings[id - 129]) << id;
    }

    const BYTE* group = Resource(RT_GROUP_ICON, IDR_MAINFRAME);
    ASSERT_NE(group, nullptr);
    std::vector<int> widths;
    for (int i = 0; i < group[4]; ++i) widths.push_back(group[6 + 14 * i]);
    EXPECT_EQ(widths, (std::vector<int>{16, 32, 48}));
    for (const int size : widths) {
        const HANDLE icon = ::LoadImageW(self, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size,
                                         size, LR_DEFAULTCOLOR);
        EXPECT_NE(icon, nullptr) << size;
        ::DestroyIcon(static_cast<HICON>(icon));
    }

    DWORD size = 0;
    const BYTE* version = Resource(RT_VERSION, VS_VERSION_INFO, &size);
    ASSERT_NE(version, nullptr);
    const std::vector<BYTE> block(version, version + size);  // VerQueryValueW needs a copy
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x0002000Eu);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);

    const BYTE* manifest = Resource(RT_MANIFEST, 1, &size);
    ASSERT_NE(manifest, nullptr);
    const std::string text(reinterpret_cast<const char*>(manifest), size);
    EXPECT_NE(text.find("Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
}

}  // namespace
}  // namespace kestrel
