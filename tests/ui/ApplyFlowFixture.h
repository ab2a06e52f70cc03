// The two editing flows of the main window end to end: a row's "Edit..." button
// or "Preferences..." is clicked, the real dialog is driven as a user would,
// what it stored goes over the real pipe to the in-process simulator, and the
// one message box that reports the outcome is read and answered.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <string>

#include "DialogDriver.h"
#include "ExpectedTexts.h"
#include "MainWindowFixture.h"
#include "MessageBoxAnswer.h"
#include "PortRowTexts.h"
#include "ServiceProtocol.h"
#include "resource.h"

namespace kestrel::test {

struct ButtonSearch {
    const DevListCtrl* list;
    std::wstring name;
    HWND found = nullptr;
};

inline BOOL CALLBACK FindButtonOfPort(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ButtonSearch*>(param);
    if (search->list->GetPortOfButton(::GetDlgCtrlID(child)) != search->name) return TRUE;
    search->found = child;
    return FALSE;
}

inline BOOL CALLBACK CountEditingDialogs(HWND window, LPARAM count) {
    wchar_t caption[64] = {};
    ::GetWindowTextW(window, caption, 64);
    for (const std::wstring& dialog :
         {texts::ConnectionCaption(L"Dock-3"), texts::ConnectionCaption(L"Dock-4"),
          std::wstring(texts::kPreferencesCaption)})
        if (caption == dialog) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

class ApplyFlowTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_TRUE(
            server->Execute("defaults host=defaults.example dmsport=443 retry=3000 active=0"));
        ASSERT_TRUE(server->Execute("log folder=C:\\Logs level=1"));
        ASSERT_TRUE(server->Execute(
            "port COM3 label=Dock-3 serial=SN-3 mode=0 status=0 default=0 host=own.example "
            "dmsport=80 retry=30000 active=0"));
        ASSERT_TRUE(
            server->Execute("port COM4 label=Dock-4 serial=SN-4 mode=0 status=0 default=1"));
        StartBoth();
        ASSERT_EQ(RowCount(window), 2);
        // Refresh passes run only when a test sends a tick: the message boxes'
        // and dialogs' loops would otherwise run them at moments of their own.
        ::KillTimer(window, kRefreshTimerId);
    }

    void TearDown() override {
        ::KillTimer(window, test::kAnswerTimerId);
        MainWindowTest::TearDown();
    }

    HWND EditButtonOf(const std::wstring& name) {
        ButtonSearch search{&dlg->PortList(), name};
        ::EnumChildWindows(::GetDlgItem(window, IDC_PORT_LIST), FindButtonOfPort,
                           reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // Runs open, then the script in the dialog of that caption; the outcome's
    // message box, if one comes, is answered with OK and recorded in test::seen.
    template <typename Open>
    void Edit(const std::wstring& caption, std::function<void(HWND)> script, Open open) {
        test::AnswerNextBox(window, IDOK);
        opened = false;
        const auto noteOpened = [this, script](HWND dialog) {
            opened = true;
            script(dialog);
        };
        test::DriveDialog(caption, noteOpened, [&] {
            open();
            return INT_PTR{0};
        });
    }

    // The port's "Edit..." button opens its dialog, captioned with its label.
    void EditPort(const std::wstring& name, const std::wstring& label,
                  std::function<void(HWND)> script) {
        const HWND button = EditButtonOf(name);
        ASSERT_NE(button, nullptr) << "no Edit button for the port";
        Edit(texts::ConnectionCaption(label), std::move(script), [&] {
            ::SendMessageW(button, BM_CLICK, 0, 0);
            test::PumpMessages();
        });
    }

    void EditPreferences(std::function<void(HWND)> script) {
        Edit(texts::kPreferencesCaption, std::move(script), [&] { ClickPreferences(BN_CLICKED); });
    }

    // Preferences with only the defaults' DMS port changed, then OK.
    void ApplyDefaultsPort(const wchar_t* port) {
        EditPreferences([port](HWND dialog) {
            SetText(dialog, IDC_DMS_PORT, port);
            Apply(dialog);
        });
    }

    // COM3's dialog with only its DMS port changed, then OK.
    void ApplyCom3Port(const wchar_t* port) {
        EditPort(L"COM3", L"Dock-3", [port](HWND dialog) {
            SetText(dialog, IDC_DMS_PORT, port);
            Apply(dialog);
        });
    }

    // COM3's DMS port 81 taken without a word: at the service and in its row.
    void ExpectCom3Port81Taken() {
        EXPECT_EQ(test::seen.text, L"");
        EXPECT_EQ(SimPort(L"COM3").own.port, "81");
        EXPECT_EQ(ConnectionShown(L"COM3"), L"own.example:81");
    }

    void ClickPreferences(WORD code) {
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_PREFERENCES, code),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, IDC_PREFERENCES)));
    }

    // The service drops COM3 while its dialog is open; Apply finds it gone.
    void EditRemovedPort() {
        EditPort(L"COM3", L"Dock-3", [this](HWND dialog) {
            ASSERT_TRUE(server->Execute("remove COM3"));
            SetText(dialog, IDC_DMS_PORT, L"81");
            Apply(dialog);
        });
        EXPECT_EQ(test::seen.text, texts::PortGone(L"Dock-3"));
        EXPECT_FALSE(HasRecord(L"COM3"));
        EXPECT_EQ(RowCount(window), 1);
    }

    const PortRecord& Record(const wchar_t* name) { return dlg->Service().Ports().at(name); }
    bool HasRecord(const wchar_t* name) { return dlg->Service().Ports().count(name) != 0; }
    sim::SimPort SimPort(const wchar_t* name) { return *server->Snapshot().FindPort(name); }
    uint64_t Requests(uint32_t code) { return server->RequestCount(code); }

    // The DMS address of a port's row as the row holds it ("Not configured"
    // is shown instead while the COM port is inactive), or "-" without a row.
    std::wstring ConnectionShown(const std::wstring& name) {
        for (int row = 0; row < RowCount(window); ++row) {
            const PortRowInfo* data = dlg->PortList().RowInfo(row);
            if (data && data->name == name) return data->connection;
        }
        return L"-";
    }

    bool opened = false;
};

}  // namespace kestrel::test
