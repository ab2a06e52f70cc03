#include "TListCtrl.h"

#include "CustomDrawStage.h"

namespace kestrel {

static_assert(kItemSelected == LVIS_SELECTED && kItemFocused == LVIS_FOCUSED &&
                  kStateImageMask == LVIS_STATEIMAGEMASK &&
                  kStateImageUnticked == INDEXTOSTATEIMAGEMASK(1) &&
                  kStateImageTicked == INDEXTOSTATEIMAGEMASK(2),
              "item state bits");
static_assert(kDrawPrePaint == CDDS_PREPAINT && kDrawItemPrePaint == CDDS_ITEMPREPAINT &&
                  kDrawItemPostPaint == CDDS_ITEMPOSTPAINT && kDrawSubItem == CDDS_SUBITEM,
              "draw stages");
static_assert(kDrawDoDefault == CDRF_DODEFAULT && kDrawSkipDefault == CDRF_SKIPDEFAULT &&
                  kDrawNotifyPostPaint == CDRF_NOTIFYPOSTPAINT &&
                  kDrawNotifyItemDraw == CDRF_NOTIFYITEMDRAW &&
                  kDrawNotifyItemDraw == CDRF_NOTIFYSUBITEMDRAW,
              "draw results");

bool TListCtrl::SubclassWindow(HWND window) { return CWindowBase::SubclassWindow(window); }

bool TListCtrl::DeleteAllItems() {
    const bool deleted = Send(LVM_DELETEALLITEMS) != 0;
    ResetSort();
    return deleted;
}

bool TListCtrl::SortItems(int column, int sortType) {
    BeginSort(column, sortType);
    const bool sorted = Send(LVM_SORTITEMS, reinterpret_cast<WPARAM>(this),
                             reinterpret_cast<LPARAM>(&CompareCallback)) != 0;
    if (!sorted) ResetSort();
    return sorted;
}

int CALLBACK TListCtrl::CompareCallback(LPARAM itemData1, LPARAM itemData2,
                                        LPARAM sortParam) noexcept {
    auto* self = reinterpret_cast<TListCtrl*>(sortParam);
    return self->Order(self->CompareItems(itemData1, itemData2, self->sortColumn));
}

LRESULT TListCtrl::SetState(int index, UINT state, UINT mask) const {
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    return Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int TListCtrl::CompareItems(LPARAM, LPARAM, int) { return 0; }

bool TListCtrl::OnPrePaint(HDC) { return false; }

bool TListCtrl::OnSubItemPrePaint(HDC, DWORD_PTR, int, UINT, LPARAM, COLORREF&, COLORREF&) {
    return false;
}

int TListCtrl::FocusedItem() const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

// Only the focus mark moves: the host refuses every selection.
void TListCtrl::FocusItem(int index) {
    if (index < 0) return;
    SetState(index, LVIS_FOCUSED, LVIS_FOCUSED);
    Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

void TListCtrl::OnActivateItem(int) {}

bool TListCtrl::OnCopy() { return false; }

std::wstring TListCtrl::ItemText(int index, int column) const {
    std::wstring text(64, L'\0');
    for (;;) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = &text[0];
        item.cchTextMax = static_cast<int>(text.size());
        const auto length = static_cast<size_t>(
            Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < text.size()) {
            text.resize(length);
            return text;
        }
        text.resize(text.size() * 2);
    }
}

LRESULT TListCtrl::OnCustomDraw(NMLVCUSTOMDRAW& cd) {
    if (!customDraw) return CDRF_DODEFAULT;
    NMCUSTOMDRAW& nm = cd.nmcd;
    const DrawStage stage = ClassifyDrawStage(nm.dwDrawStage);
    bool skip = false;
    switch (stage) {
    case DrawStage::PrePaint: skip = OnPrePaint(nm.hdc); break;
    case DrawStage::ItemPostPaint: DrawFocusMark(nm.hdc, nm.dwItemSpec); break;
    case DrawStage::SubItemPrePaint:
        skip = OnSubItemPrePaint(nm.hdc, nm.dwItemSpec, cd.iSubItem, nm.uItemState, nm.lItemlParam,
                                 cd.clrText, cd.clrTextBk);
        break;
    case DrawStage::ItemPrePaint:
    case DrawStage::Other: break;
    }
    return DrawStageResult(stage, skip);
}

bool TListCtrl::OnItemChanged(const NMLISTVIEW& nm) {
    return CheckBoxChanged(nm.uOldState, nm.uNewState);
}

// Notifications of the list's own header.
LRESULT TListCtrl::OnHeaderNotify(int, LPNMHDR notification) {
    const auto* header = reinterpret_cast<const NMHEADERW*>(notification);
    switch (header->hdr.code) {
    case HDN_BEGINTRACKW:
    case HDN_BEGINTRACKA: SetMsgHandled(fixedColumns); return 1;  // refuses the drag
    case HDN_ITEMDBLCLICKW: SortItems(header->iItem, kSortToggle); return 1;
    default: SetMsgHandled(false); return 0;
    }
}

// DeleteAllItems is virtual, so that a derived list releases what its rows own.
void TListCtrl::OnDestroy() {
    DeleteAllItems();
    CallPreviousProc();
}

// Repaints every visible row at once, so that whatever a row's paint hooks
// keep in place follows the scroll.
void TListCtrl::OnVScroll(int, int, HWND) {
    CallPreviousProc();
    ::InvalidateRect(Handle(), nullptr, TRUE);
    ::UpdateWindow(Handle());
}

// The list view draws its focus rectangle around the first column's label,
// which may be hidden; this one goes around the whole row. It follows the
// keyboard cues, like every focus rectangle.
void TListCtrl::DrawFocusMark(HDC dc, DWORD_PTR item) const {
    if (!noSelection || static_cast<int>(item) != FocusedItem() || ::GetFocus() != Handle()) return;
    if (Send(WM_QUERYUISTATE) & UISF_HIDEFOCUS) return;
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    if (Send(LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&row))) ::DrawFocusRect(dc, &row);
}

// Enter would otherwise be the dialog's, for its default button.
UINT TListCtrl::OnGetDlgCode(const MSG* message) {
    auto code = static_cast<UINT>(CallPreviousProc());
    if (message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN)
        code |= DLGC_WANTMESSAGE;
    return code;
}

void TListCtrl::OnKeyDown(UINT keyCode, UINT, UINT) {
    ListKey key = ListKey::Up;
    switch (keyCode) {
    case VK_RETURN:
    case VK_SPACE:
    case VK_F2:
        if (FocusedItem() >= 0) OnActivateItem(FocusedItem());
        return;
    case 'C': SetMsgHandled(::GetKeyState(VK_CONTROL) < 0 && OnCopy()); return;
    case VK_UP: key = ListKey::Up; break;
    case VK_DOWN: key = ListKey::Down; break;
    case VK_PRIOR: key = ListKey::PageUp; break;
    case VK_NEXT: key = ListKey::PageDown; break;
    case VK_HOME: key = ListKey::Home; break;
    case VK_END: key = ListKey::End; break;
    default: SetMsgHandled(false); return;
    }
    if (!noSelection) {
        SetMsgHandled(false);
        return;
    }
    const auto count = static_cast<int>(Send(LVM_GETITEMCOUNT));
    const auto perPage = static_cast<int>(Send(LVM_GETCOUNTPERPAGE));
    FocusItem(NavigationTarget(key, FocusedItem(), count, perPage));
}

// The characters of the keys taken above: the list would search its rows for
// them, or tick the check box for a blank.
void TListCtrl::OnChar(UINT character, UINT, UINT) {
    SetMsgHandled(character == L' ' || character == L'\r' || character == 0x03);  // 0x03: Ctrl+C
}

void TListCtrl::OnSetFocus(HWND) {
    CallPreviousProc();
    if (noSelection && FocusedItem() < 0 && Send(LVM_GETITEMCOUNT) > 0) FocusItem(0);
}

}  // namespace kestrel
