#include "CustomDrawStage.h"

namespace kestrel {

DrawHook HookForDrawStage(uint32_t drawStage) {
    switch (drawStage) {
    case kDrawPrePaint: return DrawHook::PrePaint;
    case kDrawPostPaint: return DrawHook::PostPaint;
    case kDrawItemPrePaint: return DrawHook::ItemPrePaint;
    case kDrawItemPostPaint: return DrawHook::ItemPostPaint;
    case kDrawItemPrePaint | kDrawSubItem: return DrawHook::SubItemPrePaint;
    case kDrawItemPostPaint | kDrawSubItem: return DrawHook::SubItemPostPaint;
    default: return DrawHook::None;
    }
}

uint32_t DrawStageResult(DrawHook hook, bool skipDefault) {
    const uint32_t skip = skipDefault ? kDrawSkipDefault : 0;
    switch (hook) {
    case DrawHook::PrePaint:
    case DrawHook::ItemPrePaint: return kDrawNotifyItemDraw | kDrawNotifyPostPaint | skip;
    case DrawHook::SubItemPrePaint: return kDrawNotifyPostPaint | skip;
    default: return kDrawDoDefault;
    }
}

}  // namespace kestrel
