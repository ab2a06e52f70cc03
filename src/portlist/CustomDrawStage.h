// The custom-draw stages the list acts on and what each stage answers.
// Portable: no windows.h (the platform's CDDS_*/CDRF_* values; TListCtrl.cpp
// checks that they agree).
#pragma once

#include <cstdint>

namespace kestrel {

inline constexpr uint32_t kDrawPrePaint = 0x00001;
inline constexpr uint32_t kDrawItemPrePaint = 0x10001;
inline constexpr uint32_t kDrawItemPostPaint = 0x10002;
inline constexpr uint32_t kDrawSubItem = 0x20000;

inline constexpr uint32_t kDrawDoDefault = 0x00;
inline constexpr uint32_t kDrawSkipDefault = 0x04;
inline constexpr uint32_t kDrawNotifyPostPaint = 0x10;
inline constexpr uint32_t kDrawNotifyItemDraw = 0x20;  // also "notify sub-item draw"

// The list's own pre-paint and a cell's pre-paint call hooks; a row's
// pre-paint asks for its cells and its post-paint; a row's post-paint draws
// the focus mark. Every other stage draws by default.
enum class DrawStage {
    Other,
    PrePaint,
    ItemPrePaint,
    ItemPostPaint,
    SubItemPrePaint,
};

DrawStage ClassifyDrawStage(uint32_t drawStage);

// The stage's result; skipDefault is what its pre-paint hook returned.
uint32_t DrawStageResult(DrawStage stage, bool skipDefault);

}  // namespace kestrel
