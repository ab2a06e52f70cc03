// Which hook a custom-draw stage calls and what the stage answers.
// Portable: no windows.h (the platform's CDDS_*/CDRF_* values; TListCtrl.cpp
// checks that they agree).
#pragma once

#include <cstdint>

namespace kestrel {

inline constexpr uint32_t kDrawPrePaint = 0x00001;
inline constexpr uint32_t kDrawPostPaint = 0x00002;
inline constexpr uint32_t kDrawItemPrePaint = 0x10001;
inline constexpr uint32_t kDrawItemPostPaint = 0x10002;
inline constexpr uint32_t kDrawSubItem = 0x20000;

inline constexpr uint32_t kDrawDoDefault = 0x00;
inline constexpr uint32_t kDrawSkipDefault = 0x04;
inline constexpr uint32_t kDrawNotifyPostPaint = 0x10;
inline constexpr uint32_t kDrawNotifyItemDraw = 0x20;  // also "notify sub-item draw"

enum class DrawHook {
    None,
    PrePaint,
    PostPaint,
    ItemPrePaint,
    ItemPostPaint,
    SubItemPrePaint,
    SubItemPostPaint,
};

DrawHook HookForDrawStage(uint32_t drawStage);

// The stage's result; skipDefault is what a pre-paint hook returned.
uint32_t DrawStageResult(DrawHook hook, bool skipDefault);

}  // namespace kestrel
