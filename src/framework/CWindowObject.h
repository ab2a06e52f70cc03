// Root of the window objects: a C++ object bound to at most one window, whose
// message map (ProcessWindowMessage, map 0) sees that window's messages first.
// The window finds its object through a window property; a window has at most
// one object. CWindowBase (plain windows) and CDialogBase (dialogs) derive from it.
#pragma once

#include <windows.h>

namespace kestrel {

class CWindowObject {
public:
    CWindowObject() = default;
    // Unbinds a still bound window; never destroys it.
    virtual ~CWindowObject();
    CWindowObject(const CWindowObject&) = delete;
    CWindowObject& operator=(const CWindowObject&) = delete;

    // The message map, written with BEGIN_MSG_MAP ... END_MSG_MAP (MessageMap.h).
    // Returns whether the message was handled; if so, result holds its result.
    virtual bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result, DWORD mapId) = 0;

    // Called once the window's last message (WM_NCDESTROY) and every message it
    // was nested in have been dispatched; the object is unbound by then. The
    // framework never deletes the object.
    virtual void OnFinalMessage(HWND hwnd);

    // The bound window, or null.
    HWND Handle() const { return boundWindow; }

    // The object bound to a window, or null.
    static CWindowObject* FromHandle(HWND window);

protected:
    // The message the map is handling. A map call saves the one before and
    // gives it back when it returns, so that a message sent from inside a
    // handler cannot change what the outer handler sees or decides.
    struct MapMessage {
        UINT msg = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        bool handled = true;
    };
    class MapMessageScope {
    public:
        MapMessageScope(CWindowObject& object, UINT msg, WPARAM wParam, LPARAM lParam)
            : owner(object), saved(object.mapMessage) {
            owner.mapMessage = MapMessage{msg, wParam, lParam, true};
        }
        ~MapMessageScope() { owner.mapMessage = saved; }
        MapMessageScope(const MapMessageScope&) = delete;
        MapMessageScope& operator=(const MapMessageScope&) = delete;

    private:
        CWindowObject& owner;
        const MapMessage saved;
    };

    const MapMessage& CurrentMessage() const { return mapMessage; }
    // A typed handler's message counts as handled unless it says otherwise.
    void SetMsgHandled(bool handled) { mapMessage.handled = handled; }
    bool IsMsgHandled() const { return mapMessage.handled; }

    // Binds to a window that has no object yet.
    bool Attach(HWND window);
    void Detach();

    // Every dispatch of a message to the map is bracketed by these. WM_NCDESTROY
    // marks the end; the outermost EndMessage then unbinds and calls OnFinalMessage.
    void BeginMessage() { ++depth; }
    void MarkFinalMessage();
    void EndMessage(HWND window);

private:
    HWND boundWindow = nullptr;
    MapMessage mapMessage;
    int depth = 0;
    bool finalPending = false;
};

}  // namespace kestrel
